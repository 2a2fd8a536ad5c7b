#include "service/Flash.h"

#include <cctype>

int CFlashBlock::Progress() const
{
    return __atomic_load_n(&progress, __ATOMIC_RELAXED);
}

std::string CFlashBlock::StatusText() const
{
    char copy[FLASH_STATUS_SIZE];
    for (int i = 0; i < FLASH_STATUS_SIZE; ++i)
        copy[i] = __atomic_load_n(&status[i], __ATOMIC_RELAXED);
    copy[FLASH_STATUS_SIZE - 1] = '\0';
    return copy;
}

void CFlashBlock::RequestAbort() { __atomic_store_n(&abort, static_cast<unsigned char>(1), __ATOMIC_RELAXED); }

void CFlashBlock::Reset()
{
    __atomic_store_n(&progress, 0, __ATOMIC_RELAXED);
    __atomic_store_n(&abort, static_cast<unsigned char>(0), __ATOMIC_RELAXED);
    for (char& c : status)
        __atomic_store_n(&c, '\0', __ATOMIC_RELAXED);
}

std::vector<std::string> CFlashLibrary::Candidates(const std::string& programDirectory)
{
    std::vector<std::string> out;
    if (!programDirectory.empty()) {
        std::string dir = programDirectory;
        if (dir.back() != '/')
            dir += '/';
        out.push_back(dir + FileName);
    }
    out.push_back(FileName);
    return out;
}

bool CFlashLibrary::Load(const std::vector<std::string>& candidates, std::string& error)
{
    entry_ = nullptr;
    std::string why;
    if (!library_.Open(candidates, why)) {
        error = std::string("The flash library ") + FileName + " cannot be loaded:\n" + why;
        return false;
    }
    void* f = library_.Symbol(EntryPoint, why);
    if (!f) {
        error = "The flash library " + library_.LoadedFrom() + " has no entry point " + EntryPoint + ":\n" + why;
        library_.Close();
        return false;
    }
    entry_ = reinterpret_cast<FlashMainFunction>(f);
    return true;
}

CFlash::~CFlash()
{
    if (thread_.joinable() && block_)
        block_->RequestAbort();
    Join();
}

int CFlash::PortNumber(const std::string& portName)
{
    size_t start = portName.size();
    while (start > 0 && std::isdigit(static_cast<unsigned char>(portName[start - 1])))
        --start;
    int n = 0;
    for (size_t i = start; i < portName.size() && n < 100000; ++i)
        n = n * 10 + (portName[i] - '0');
    return n;
}

void CFlash::Start(FlashMainFunction entry, int port, int baud, CFlashBlock& block)
{
    Join();
    block_ = &block;
    block.busy = 1;
    thread_ = std::thread([entry, port, baud, &block] {
        entry(port, baud, block.frequency, block.image.c_str(), &block.abort, block.status, &block.progress);
        block.busy = 0;
    });
}

void CFlash::Join()
{
    if (thread_.joinable())
        thread_.join();
}

bool CFlashProgressState::Tick(bool busy)
{
    if (state_ == State::Finished) {
        blink_ = !blink_;
        return false;
    }
    if ((state_ == State::Running || state_ == State::Stopping) && !busy) {
        state_ = State::Finished;
        blink_ = true;
        return true;
    }
    return false;
}

CFlashProgressState::StopAction CFlashProgressState::Stop()
{
    switch (state_) {
    case State::Finished:
        state_ = State::Closed;
        return StopAction::Close;
    case State::Running:
        state_ = State::Stopping;
        return StopAction::Abort;
    default:
        return StopAction::Nothing;
    }
}
