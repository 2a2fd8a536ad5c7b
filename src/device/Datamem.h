#pragma once
// The sample history: records in chunks of 500, at most 100,000. When it is full the oldest 500
// are dropped at once. Chunks are whole and dropped whole, so an append costs the same at the
// cap as before it, and the memory grows in steps of 500 records.

#include "device/Datarec.h"

#include <memory>
#include <vector>

class CDataMem {
public:
    static constexpr int Step = 500;
    static constexpr int MaxRecords = 100000;

    CDataMem() = default;
    virtual ~CDataMem() = default;
    CDataMem(const CDataMem&) = delete;
    CDataMem& operator=(const CDataMem&) = delete;

    int Count() const { return count_; }
    int Capacity() const { return static_cast<int>(chunks_.size()) * Step; }
    bool Empty() const { return count_ == 0; }

    // The record at index clamped to 0..Count()-1; nullptr when the history is empty.
    const CDataRec* At(int index) const;
    // Appends a copy. True when the oldest 500 records were dropped to make room. When memory
    // for a new chunk cannot be had, the history stays as it is and the new record is dropped.
    bool Append(const CDataRec& rec);
    // Empties the history and frees its memory.
    void Clear();
    // False after an append that could not get memory (cleared by the next successful one).
    bool LastAppendStored() const { return lastStored_; }

protected:
    // One chunk of Step records; nullptr when memory is short.
    virtual std::unique_ptr<CDataRec[]> AllocateChunk();

private:
    CDataRec& Slot(int index) const;

    std::vector<std::unique_ptr<CDataRec[]>> chunks_; // a ring of chunks
    int first_ = 0;  // chunk holding record 0
    int count_ = 0;
    bool lastStored_ = true;
};
