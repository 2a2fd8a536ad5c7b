// The calibration dialogs opened from the Setup page's Sensors tab, against the simulated unit:
// opening and closing, reading, measuring, the worked examples, the refusal of equal reference
// points, the erase question and the send with its read-back.

#include "Unitpagesfixture.h"

#include "service/ui/Cal3capdlg.h"
#include "service/ui/Calinputdlg.h"
#include "service/ui/Setuppage.h"

#include <QLabel>

namespace unitpagestest {
namespace {

const char* const EraseQuestion = "This operation will erase existing calibration.\nDo you want to continue?";

class Calibration : public UnitPagesFixture {};

TEST_F(Calibration, InputSensorDialogReadsMeasuresComputesAndSends)
{
    Connect();
    Unit([](SimUnitData& d) {
        d.sensorCal[0] = {5, 6, 7, 1024, 0, 0, 1024, 40000};
        d.inputAdc = {105, 6, 107, 2000};
    });
    TSetupPage& s = *side->SetupPage;
    TCalInputForm& dlg = *side->CalInputForm;
    s.CalInputBtn->click();
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(dlg.windowTitle(), "Input Sensor");
    EXPECT_EQ(dlg.Sensor(), 0);
    EXPECT_FALSE(s.CalInputBtn->isEnabled());
    EXPECT_FALSE(s.CalOutputBtn->isEnabled());
    EXPECT_EQ(dlg.OffpEdit->text(), "5");
    EXPECT_EQ(dlg.CalPowEdit->text(), "40000");

    // Averaging text "abc" measures once: raw 105, 6, 107 less the offsets 5, 6, 7.
    Type(dlg.AverEdit, "abc");
    recorder->Clear();
    dlg.ADCMeasBtn->click();
    EXPECT_EQ(Sent(), (Cmds{183}));
    EXPECT_EQ(dlg.ADCpText->text(), "105");
    EXPECT_EQ(dlg.ADCOffpText->text(), "100");
    EXPECT_EQ(dlg.ADCOffqText->text(), "0");
    EXPECT_EQ(dlg.ADCOffi2Text->text(), "100");
    EXPECT_EQ(dlg.MeasRText->text(), "50.0");
    EXPECT_EQ(dlg.MeasXText->text(), "0.0");
    EXPECT_EQ(dlg.MeasGText->text(), "0.00");

    dlg.MeasBtn->click();
    EXPECT_EQ(dlg.MeasIText->text(), "n/a");
    EXPECT_EQ(dlg.MeasPfwdText->text(), "n/a");

    // Two loads measured with the same proportion of p and q: refused, the matrix untouched.
    dlg.Load1Btn->click();
    dlg.Load2Btn->click();
    dlg.CalBtn->click();
    ASSERT_EQ(Shown("warning").size(), 1u);
    EXPECT_EQ(dlg.CalrrEdit->text(), "1024");

    Type(dlg.PowerEdit, "500");
    dlg.PowerBtn->click();
    EXPECT_EQ(dlg.CalPowEdit->text(), "5120"); // 500 / 100 x 1024

    // Answered No: nothing is sent; Yes: the eight words go and are read back.
    Type(dlg.CalrxEdit, "-3");
    recorder->Clear();
    dlg.SendBtn->click();
    EXPECT_TRUE(Sent().empty());
    ASSERT_EQ(Shown("question").size(), 1u);
    EXPECT_EQ(Shown("question")[0].caption, "Send");
    EXPECT_EQ(Shown("question")[0].text, EraseQuestion);
    hooks.answers = {true};
    dlg.SendBtn->click();
    EXPECT_EQ(Sent(), (Cmds{85, 155}));
    Unit([](SimUnitData& d) {
        EXPECT_EQ(d.sensorCal[0], (std::array<uint16_t, 8>{5, 6, 7, 1024, 0xFFFD, 0, 1024, 5120}));
    });
    EXPECT_EQ(dlg.CalrxEdit->text(), "-3");

    // A word the unit cannot hold is refused before the question.
    Type(dlg.CalxxEdit, "40000");
    const size_t questions = Shown("question").size();
    recorder->Clear();
    dlg.SendBtn->click();
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(Shown("question").size(), questions);

    dlg.CloseBtn->click();
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_TRUE(s.CalInputBtn->isEnabled());
    EXPECT_TRUE(s.CalOutputBtn->isEnabled());
}

TEST_F(Calibration, OutputSensorOfAUnitWithOne)
{
    Connect(0x10001);
    Unit([](SimUnitData& d) { d.sensorCal[1][0] = 77; });
    side->SetupPage->CalOutputBtn->click();
    TCalInputForm& dlg = *side->CalInputForm;
    EXPECT_EQ(dlg.windowTitle(), "Output Sensor");
    EXPECT_EQ(dlg.Sensor(), 1);
    EXPECT_EQ(dlg.OffpEdit->text(), "77");
    EXPECT_FALSE(side->Cal3capForm->isVisible());
    dlg.close();
    EXPECT_TRUE(side->SetupPage->CalOutputBtn->isEnabled());
}

TEST_F(Calibration, CurrentSensorsWorkedExamplesEqualPointsAndSend)
{
    Connect(0x400);
    Unit([](SimUnitData& d) {
        d.sensorCal3 = {10, 20, 30, 500, 600, 700};
        d.inputAdc = {1024, 0, 512, 2000};
    });
    TSetupPage& s = *side->SetupPage;
    TCal3capForm& dlg = *side->Cal3capForm;
    s.CalOutputBtn->click();
    ASSERT_TRUE(dlg.isVisible());
    EXPECT_FALSE(side->CalInputForm->isVisible());
    EXPECT_EQ(dlg.ScaleEdits[0]->text(), "500");
    EXPECT_EQ(dlg.MaxTexts[0]->text(), "20"); // (10 + 4 x 500) / 100
    EXPECT_EQ(dlg.MaxTexts[2]->text(), "2830");

    // Measure ADC: i1 = (10 + 500 x 1024 / 1024) x 0.01; i2 reads 0, so the ratio is 32.
    Type(dlg.AverEdit, "2");
    recorder->Clear();
    dlg.ADCMeasBtn->click();
    EXPECT_EQ(Sent(), (Cmds{183, 183}));
    EXPECT_EQ(dlg.ADCTexts[0]->text(), "1024");
    EXPECT_EQ(dlg.Measi1Text->text(), "5.10");
    EXPECT_EQ(dlg.Measi2Text->text(), "0.00");
    EXPECT_EQ(dlg.MeasRatioText->text(), "32.00");
    EXPECT_EQ(dlg.MeasvText->text(), "380"); // 30 + 700 x 512 / 1024

    // I1 references (0, 0 A) and (1024, 10 A): scale 1000, offset 0, max 40.
    Type(dlg.RefEdits[0][0], "0");
    Type(dlg.RefADCEdits[0][0], "0");
    Type(dlg.RefEdits[0][1], "10");
    dlg.RefBtns[0][1]->click(); // the measured 1024
    EXPECT_EQ(dlg.RefADCEdits[0][1]->text(), "1024");
    dlg.CalBtns[0]->click();
    EXPECT_EQ(dlg.ScaleEdits[0]->text(), "1000");
    EXPECT_EQ(dlg.OffEdits[0]->text(), "0");
    EXPECT_EQ(dlg.MaxTexts[0]->text(), "40");

    // V references (100, 10 V) and (200, 20 V): scale 102, offset 1, max 409.
    Type(dlg.RefEdits[2][0], "10");
    Type(dlg.RefADCEdits[2][0], "100");
    Type(dlg.RefEdits[2][1], "20");
    Type(dlg.RefADCEdits[2][1], "200");
    dlg.CalBtns[2]->click();
    EXPECT_EQ(dlg.ScaleEdits[2]->text(), "102");
    EXPECT_EQ(dlg.OffEdits[2]->text(), "1");
    EXPECT_EQ(dlg.MaxTexts[2]->text(), "409");

    // Equal ADC references are refused and change nothing.
    Type(dlg.RefADCEdits[1][0], "300");
    Type(dlg.RefADCEdits[1][1], "300");
    dlg.CalBtns[1]->click();
    ASSERT_EQ(Shown("warning").size(), 1u);
    EXPECT_EQ(dlg.ScaleEdits[1]->text(), "600");

    // A scale that is not a number makes max the offset / 100.
    Type(dlg.ScaleEdits[1], "x");
    EXPECT_EQ(dlg.MaxTexts[1]->text(), "0");
    recorder->Clear();
    dlg.SendBtn->click(); // refused before the question
    EXPECT_TRUE(Sent().empty());
    EXPECT_TRUE(Shown("question").empty());
    Type(dlg.ScaleEdits[1], "650");
    hooks.answers = {true};
    dlg.SendBtn->click();
    EXPECT_EQ(Shown("question").back().text, EraseQuestion);
    EXPECT_EQ(Sent(), (Cmds{95, 95, 165, 165}));
    Unit([](SimUnitData& d) { EXPECT_EQ(d.sensorCal3, (std::array<uint16_t, 6>{0, 20, 1, 1000, 650, 102})); });

    dlg.MeasBtn->click();
    EXPECT_EQ(dlg.MeasvText->text(), "n/a");
    dlg.CloseBtn->click();
    EXPECT_TRUE(s.CalInputBtn->isEnabled());
}

TEST_F(Calibration, AReadThatFailsNamesTheCommandAndThatTheCalibrationWasNotRead)
{
    // The dialog's Read with the unit silent for its one request: the status names the command
    // and that the calibration was not read; the fields keep what they showed.
    struct Case {
        const char* what;
        uint32_t pin;
        int command;
    };
    const Case cases[] = {{"input sensor", 0x1, 155}, {"current sensors", 0x400, 165}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        recorder.reset();
        Connect(c.pin);
        const bool third = c.pin == 0x400;
        if (third)
            side->SetupPage->CalOutputBtn->click();
        else
            side->SetupPage->CalInputBtn->click();
        QDialog* dlg = third ? static_cast<QDialog*>(side->Cal3capForm) : side->CalInputForm;
        QPushButton* read = third ? side->Cal3capForm->ReadBtn : side->CalInputForm->ReadBtn;
        QLineEdit* field = third ? side->Cal3capForm->OffEdits[0] : side->CalInputForm->OffpEdit;
        ASSERT_TRUE(dlg->isVisible());
        EXPECT_EQ(StatusText(), "Command accepted");
        Type(field, "4321");
        sim.Server().SetFault(simunit::SimSerialServer::Fault::Stall, 1);
        read->click();
        const std::string status = StatusText();
        EXPECT_EQ(status.rfind("Cmd " + std::to_string(c.command) + ": ", 0), 0u) << status;
        const std::string suffix = ". Not read: Calibration";
        EXPECT_TRUE(status.size() >= suffix.size() && status.compare(status.size() - suffix.size(), suffix.size(), suffix) == 0) << status;
        EXPECT_EQ(field->text(), "4321");
        dlg->close();
        form->Controller()->Disconnect();
    }
}

} // namespace
} // namespace unitpagestest
