// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QEventLoop>

#include <QCoro/QCoroTask>

#include <optional>

/// Runs the event loop until `task` finishes and returns its value (for values that cannot be
/// default-constructed, which QCoro::waitFor needs).
template <typename T> T awaitTask(QCoro::Task<T> task)
{
    std::optional<T> result;
    QEventLoop loop;
    task.then([&](T value) {
        result.emplace(std::move(value));
        loop.quit();
    });
    if (!result)
        loop.exec();
    return std::move(*result);
}
