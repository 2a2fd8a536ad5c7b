#pragma once
// The program's sample store: the history and the work record that the next Add commits.

#include "device/Datamem.h"
#include "device/Datarec.h"

#include <cstdint>

class CData {
public:
    // Milliseconds of a steady clock; replaceable for tests.
    using Clock = int64_t (*)();

    explicit CData(Clock clock = nullptr);
    virtual ~CData() = default;
    CData(const CData&) = delete;
    CData& operator=(const CData&) = delete;

    // Stamps the work record with the time since the origin (taken when the history is empty)
    // and appends a copy. True when the oldest records were dropped.
    bool Add();
    CDataRec& Latest() { return latest_; }
    const CDataRec& Latest() const { return latest_; }
    // Empties the history; the next Add sets a new time origin.
    void Clear()
    {
        removed_ += history_.Count();
        history_.Clear();
    }
    // Appends a record as it is, sample time included (a history read from a file).
    void AppendAsIs(const CDataRec& rec) { Appended(history_.Append(rec)); }
    // The serial number of record 0: how many records the history has lost from its front
    // (dropped to make room, or cleared) since the store was made. Record i is serial
    // FirstSerial() + i for as long as it is stored.
    int64_t FirstSerial() const { return removed_; }

    const CDataMem& History() const { return history_; }
    int Count() const { return history_.Count(); }
    const CDataRec* At(int index) const { return history_.At(index); }

    static int64_t SteadyMs();

private:
    bool Appended(bool dropped)
    {
        if (dropped)
            removed_ += CDataMem::Step;
        return dropped;
    }

    Clock clock_;
    int64_t origin_ = 0;
    int64_t removed_ = 0;
    CDataMem history_;
    CDataRec latest_;
};

// The one sample store of the program.
CData& ProgramData();
