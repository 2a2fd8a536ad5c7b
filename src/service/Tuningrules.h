#pragma once
// The Tuning page's rules without the window: texts to and from the tuning data, the stop/start
// criterion, the defaults and the checks before a send.

#include "service/Unitpages.h"

#include <string>

struct CTuningTexts {
    int criterion = 0; // 0 VSWR, 1 reflected power
    std::string stop = "1.20", start = "1.30";
    std::string magSh = "1.00", phaseSh = "0.00", magSer = "0.00", phaseSer = "1.00";
    std::string shMaxStep = "10", serMaxStep = "10", serMinStep = "1.0";
    bool hold = false;
    int integral = 0; // item index 0..8
    std::string rTarget = "50.0", xTarget = "0.0";
};

// The criterion the unit may use: reflected power only with PIN bit 30.
int TuningCriterion(int criterion, bool pinBit30);
// The stop/start texts of a criterion: VSWR with 2 decimals, reflected power whole.
void StopStartTexts(int criterion, double vswrStop, double vswrStart, int rflStop, int rflStart,
                    std::string& stop, std::string& start);
const char* StopHint(int criterion);  // "Stop VSWR" / "Stop P rfl"
const char* StartHint(int criterion); // "Start VSWR" / "Start P rfl"

CTuningTexts TuningTexts(const CTuningData& data, bool pinBit30);
// Checks every field and builds the data to send: the criterion not edited keeps the pair the
// device object holds (stored). False with the first bad field's message.
bool ParseTuningTexts(const CTuningTexts& texts, bool pinBit30, const CModelParams& stored,
                      CTuningData& data, std::string& error);
// The default constants (the criterion stays as it is).
void TuningDefaults(CTuningTexts& texts, bool thirdCap);
