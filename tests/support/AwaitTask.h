// SPDX-License-Identifier: MIT
#pragma once

#include <QCoroTask>
#include <QTest>
#include <memory>
#include <optional>

namespace detail {
template <typename T>
QCoro::Task<> deliver(QCoro::Task<T> task, std::shared_ptr<std::optional<T>> out)
{
    out->emplace(co_await std::move(task));
}
} // namespace detail

// Runs the event loop until the task has finished and gives its result, or
// none after `timeoutMs`. Unlike QCoro::waitFor, T need not be
// default-constructible.
template <typename T>
std::optional<T> awaitTask(QCoro::Task<T> task, int timeoutMs = 30000)
{
    // Shared: a task that outlives the wait still has somewhere to write.
    auto result = std::make_shared<std::optional<T>>();
    QCoro::Task<> delivery = detail::deliver(std::move(task), result);
    if (!QTest::qWaitFor([&] { return result->has_value(); }, timeoutMs))
        return std::nullopt;
    return std::move(*result);
}
