#pragma once

#include <exception>
#include <system_error>
#include <thread>
#include <utility>

namespace kalvor {

// Runs `here` on the calling thread and `there` on a second thread, and
// returns when both are done. When no thread can be started the two run one
// after the other on the calling thread, so the result never depends on it.
// An exception from `there` is rethrown here after both have finished.
template <typename Here, typename There> void runSideBySide(Here&& here, There&& there)
{
    std::exception_ptr failure;
    std::thread worker;
    try {
        worker = std::thread([&] {
            try {
                there();
            } catch (...) {
                failure = std::current_exception();
            }
        });
    } catch (const std::system_error&) {
        here();
        there();
        return;
    }
    try {
        here();
    } catch (...) {
        worker.join();
        throw;
    }
    worker.join();
    if (failure)
        std::rethrow_exception(failure);
}

}  // namespace kalvor
