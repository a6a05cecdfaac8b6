// SPDX-License-Identifier: MIT
#pragma once

#include "LookupError.h"

#include <utility>
#include <variant>

// What a lookup call gives: its record or a LookupError, never both.
//
// A value rather than an exception: the popup starts a translation and a
// dictionary lookup together and awaits both, and each outcome fills its own
// part of the popup. With exceptions the first failure would leave the second
// task un-awaited; with a value both are awaited the same way.
template <typename T> class LookupResult {
public:
    LookupResult(T value)
        : m_state(std::in_place_index<0>, std::move(value))
    {
    }
    LookupResult(LookupError error)
        : m_state(std::in_place_index<1>, std::move(error))
    {
    }

    bool ok() const { return m_state.index() == 0; }
    explicit operator bool() const { return ok(); }

    // Only when ok().
    const T& value() const& { return std::get<0>(m_state); }
    T&& value() && { return std::get<0>(std::move(m_state)); }
    const T& operator*() const& { return value(); }
    const T* operator->() const { return &value(); }

    // Only when !ok().
    const LookupError& error() const { return std::get<1>(m_state); }

private:
    std::variant<T, LookupError> m_state;
};
