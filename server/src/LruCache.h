// SPDX-License-Identifier: MIT
#pragma once

#include <list>
#include <mutex>
#include <optional>
#include <unordered_map>

// A bounded map that forgets the least recently used entry; safe to share
// between the server's worker threads.
template <typename Key, typename Value, typename Hash = std::hash<Key>>
class LruCache {
public:
    explicit LruCache(std::size_t capacity)
        : m_capacity(capacity)
    {
    }

    std::optional<Value> get(const Key& key)
    {
        std::lock_guard lock(m_mutex);
        const auto found = m_index.find(key);
        if (found == m_index.end())
            return std::nullopt;
        m_order.splice(m_order.begin(), m_order, found->second);
        return found->second->second;
    }

    void put(const Key& key, Value value)
    {
        std::lock_guard lock(m_mutex);
        const auto found = m_index.find(key);
        if (found != m_index.end()) {
            found->second->second = std::move(value);
            m_order.splice(m_order.begin(), m_order, found->second);
            return;
        }
        m_order.emplace_front(key, std::move(value));
        m_index.emplace(key, m_order.begin());
        if (m_order.size() > m_capacity) {
            m_index.erase(m_order.back().first);
            m_order.pop_back();
        }
    }

    std::size_t size() const
    {
        std::lock_guard lock(m_mutex);
        return m_order.size();
    }

private:
    using Item = std::pair<Key, Value>;
    const std::size_t m_capacity;
    mutable std::mutex m_mutex;
    std::list<Item> m_order;
    std::unordered_map<Key, typename std::list<Item>::iterator, Hash> m_index;
};
