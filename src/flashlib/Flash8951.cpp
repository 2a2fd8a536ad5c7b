// The flash library that ships with the program: the entry point the program calls, checking
// the Intel-hex image and going through the programming steps with progress and status lines,
// without a boot loader to talk to. It honours the abort byte between steps.
//
// ORRERY_FLASH_STEP_MS sets the time of each of the 100 progress steps (default 20 ms).

#include "service/Flashlibrary.h"
#include "service/Hexcheck.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {

constexpr int DefaultStepMs = 20;
constexpr int SliceMs = 5;
constexpr int Steps = 100;

void SetStatus(char* status, const std::string& text)
{
    const size_t n = std::min(text.size(), static_cast<size_t>(FLASH_STATUS_SIZE - 1));
    for (size_t i = 0; i < n; ++i)
        __atomic_store_n(&status[i], text[i], __ATOMIC_RELAXED);
    __atomic_store_n(&status[n], '\0', __ATOMIC_RELAXED);
}

void SetProgress(int* progress, int value) { __atomic_store_n(progress, value, __ATOMIC_RELAXED); }

bool AbortAsked(volatile unsigned char* abortFlag)
{
    return __atomic_load_n(const_cast<unsigned char*>(abortFlag), __ATOMIC_RELAXED) != 0;
}

int StepMs()
{
    const char* text = std::getenv("ORRERY_FLASH_STEP_MS");
    if (!text || !*text)
        return DefaultStepMs;
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    return (*end == '\0' && v >= 0 && v <= 60000) ? static_cast<int>(v) : DefaultStepMs;
}

// Waits one step in short slices; false when an abort was asked for.
bool WaitStep(int ms, volatile unsigned char* abortFlag)
{
    for (int waited = 0;; waited += SliceMs) {
        if (AbortAsked(abortFlag))
            return false;
        if (waited >= ms)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(SliceMs, ms - waited)));
    }
}

} // namespace

extern "C" __attribute__((visibility("default"))) int FlashDLL_main(int port, int baud, int frequencyMHz,
                                                                    const char* image,
                                                                    volatile unsigned char* abortFlag,
                                                                    char* status, int* progress)
{
    if (!status || !progress || !abortFlag)
        return 1;
    SetProgress(progress, 0);
    if (!image) {
        SetStatus(status, "Error: no image");
        return 1;
    }
    if (frequencyMHz <= 0) {
        SetStatus(status, "Error: wrong frequency " + std::to_string(frequencyMHz) + " MHz");
        return 1;
    }
    if (baud <= 0) {
        SetStatus(status, "Error: wrong baud rate");
        return 1;
    }
    SetStatus(status, "Checking image...");
    const CHexCheckResult check = CHexCheck::Check(image);
    if (!check.ok) {
        SetStatus(status, "Error in image: " + check.error);
        return 1;
    }
    const int stepMs = StepMs();
    SetStatus(status, "Port " + std::to_string(port) + ", " + std::to_string(baud) + " baud, " +
                          std::to_string(frequencyMHz) + " MHz: erasing...");
    for (int step = 1; step <= Steps; ++step) {
        if (!WaitStep(stepMs, abortFlag)) {
            SetStatus(status, "Aborted: the unit stays in boot mode");
            return 2;
        }
        SetProgress(progress, step);
        if (step < Steps)
            SetStatus(status, "Programming " + std::to_string(check.dataBytes) + " bytes: " +
                                  std::to_string(step) + "%");
    }
    SetStatus(status, "Flashing completed: " + std::to_string(check.dataBytes) + " bytes programmed");
    return 0;
}
