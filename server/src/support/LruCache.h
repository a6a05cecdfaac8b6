// SPDX-License-Identifier: MIT
#pragma once

#include <limits>
#include <list>
#include <mutex>
#include <optional>
#include <unordered_map>

// A map bounded by entry count and by the total cost (bytes) of its entries
// that forgets the least recently used ones; safe to share between the
// server's worker threads.
template <typename Key, typename Value, typename Hash = std::hash<Key>> class LruCache {
public:
    explicit LruCache(std::size_t capacity, std::size_t maxCost = std::numeric_limits<std::size_t>::max())
        : m_capacity(capacity)
        , m_maxCost(maxCost)
    {
    }

    std::optional<Value> get(const Key& key)
    {
        std::lock_guard lock(m_mutex);
        const auto found = m_index.find(key);
        if (found == m_index.end())
            return std::nullopt;
        m_order.splice(m_order.begin(), m_order, found->second);
        return found->second->value;
    }

    // An entry costing more than the whole cache allows is not kept.
    void put(const Key& key, Value value, std::size_t cost = 0)
    {
        std::lock_guard lock(m_mutex);
        const auto found = m_index.find(key);
        if (found != m_index.end()) {
            m_cost -= found->second->cost;
            m_order.erase(found->second);
            m_index.erase(found);
        }
        if (cost > m_maxCost)
            return;
        m_order.push_front(Item { key, std::move(value), cost });
        m_index.emplace(key, m_order.begin());
        m_cost += cost;
        while (m_order.size() > m_capacity || m_cost > m_maxCost) {
            m_cost -= m_order.back().cost;
            m_index.erase(m_order.back().key);
            m_order.pop_back();
        }
    }

    std::size_t size() const
    {
        std::lock_guard lock(m_mutex);
        return m_order.size();
    }

    std::size_t cost() const
    {
        std::lock_guard lock(m_mutex);
        return m_cost;
    }

private:
    struct Item {
        Key key;
        Value value;
        std::size_t cost;
    };
    const std::size_t m_capacity;
    const std::size_t m_maxCost;
    std::size_t m_cost = 0;
    mutable std::mutex m_mutex;
    std::list<Item> m_order;
    std::unordered_map<Key, typename std::list<Item>::iterator, Hash> m_index;
};
