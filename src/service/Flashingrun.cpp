#include "service/Flashingrun.h"

#include "common/Helpers.h"
#include "service/Flash.h"
#include "service/Textlines.h"

CFlashingRun::EOutcome CFlashingRun::Run(int& frequency)
{
    // The library and its entry point first: a missing one touches nothing.
    CFlashLibrary library;
    std::string error;
    if (!library.Load(links_.LibraryCandidates, error)) {
        links_.Warn(error);
        return EOutcome::Refused;
    }
    std::string freqText;
    if (!links_.AskFrequency(frequency, freqText))
        return EOutcome::Cancelled;
    if (TextToInt(freqText) <= 0) { // refused before the unit is put into boot mode
        links_.Warn("Wrong frequency: \"" + freqText + "\"");
        return EOutcome::Refused;
    }
    frequency = TextToInt(freqText);
    links_.StopReadTimer();

    const std::string path = links_.ChooseImageFile();
    if (path.empty())
        return EOutcome::Cancelled;
    std::vector<std::string> lines;
    CFlashBlock block;
    if (!ReadTextLines(path, lines, block.image, error)) {
        links_.Warn(error);
        return EOutcome::Refused;
    }
    if (lines.empty()) {
        links_.Warn("File is empty");
        return EOutcome::Refused;
    }
    block.frequency = frequency;
    block.Reset();
    if (links_.IsConnected())
        links_.EnterBootMode();
    const int port = CFlash::PortNumber(links_.PortText());
    const int baud = links_.BaudRate();
    CFlash flash;
    flash.Start(library.Entry(), port, baud, block);
    links_.ShowProgress(block);
    flash.Join();
    return EOutcome::Flashed;
}
