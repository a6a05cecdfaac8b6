// SPDX-License-Identifier: MIT
#pragma once

#include <QCoroTask>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <memory>
#include <optional>

namespace detail {
template <typename T> struct Delivery {
    std::optional<T> result;
    QPointer<QEventLoop> loop;
};

template <typename T> QCoro::Task<> deliver(QCoro::Task<T> task, std::shared_ptr<Delivery<T>> delivery)
{
    delivery->result.emplace(co_await std::move(task));
    if (delivery->loop)
        delivery->loop->quit();
}
} // namespace detail

// Runs the event loop until the task has finished and gives its result, or
// none after `timeoutMs`. Unlike QCoro::waitFor, T need not be
// default-constructible.
template <typename T> std::optional<T> awaitTask(QCoro::Task<T> task, int timeoutMs = 30000)
{
    // Shared: a task that outlives the wait still has somewhere to write.
    auto delivery = std::make_shared<detail::Delivery<T>>();
    QCoro::Task<> running = detail::deliver(std::move(task), delivery);
    if (!delivery->result) {
        QEventLoop loop;
        delivery->loop = &loop;
        QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    if (!delivery->result)
        return std::nullopt;
    return std::move(delivery->result);
}
