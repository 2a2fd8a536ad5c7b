#include "service/Xilinx.h"

#include "common/Helpers.h"
#include "device/Device.h"
#include "service/Xilinxfile.h"

int CXilinxProgrammer::Run(CDevice& device, const std::vector<std::string>& lines, IXilinxView& view)
{
    const int result = [&] {
        CXilinxImage image;
        if (!image.Read(lines)) {
            ShowWarning(Caption, image.Error());
            return 1;
        }
        if (!AskYesNo("", "Data size = " + std::to_string(image.Count()) + "\nWrite to the unit?"))
            return 1;
        view.ShowStatusMessage("Writing...");
        int r = device.SetServiceAccess(true);
        if (r < 0)
            return r;
        r = device.StartXilinx(image.Count());
        if (r == NotImplemented)
            ShowWarning(Caption, "Command 66 not implemented");
        if (r != 0)
            return r;
        for (const auto& [offset, length] : CXilinxImage::Blocks(image.Count())) {
            r = device.SendXilinxBlock(image.Bytes().data() + offset, length);
            if (r != 0) {
                ShowWarning(Caption, "Error sending data");
                return r;
            }
        }
        view.ShowStatusMessage("Wait...");
        view.WaitForUnit(WaitAfterLoadMs);
        view.ClearStatusMessage();
        return 0;
    }();
    view.ShowStatusMessage("Done");
    return result;
}
