#include "device/Datamem.h"

#include <algorithm>
#include <new>

std::unique_ptr<CDataRec[]> CDataMem::AllocateChunk()
{
    return std::unique_ptr<CDataRec[]>(new (std::nothrow) CDataRec[Step]);
}

CDataRec& CDataMem::Slot(int index) const
{
    const int chunks = static_cast<int>(chunks_.size());
    const int chunk = (first_ + index / Step) % chunks;
    return chunks_[chunk][index % Step];
}

const CDataRec* CDataMem::At(int index) const
{
    if (count_ == 0)
        return nullptr;
    return &Slot(std::clamp(index, 0, count_ - 1));
}

bool CDataMem::Append(const CDataRec& rec)
{
    bool dropped = false;
    if (count_ == Capacity()) {
        if (Capacity() + Step > MaxRecords) {
            // Full: the chunk of the oldest 500 records takes the newest ones.
            first_ = (first_ + 1) % static_cast<int>(chunks_.size());
            count_ -= Step;
            dropped = true;
        } else {
            std::unique_ptr<CDataRec[]> chunk = AllocateChunk();
            if (!chunk) {
                lastStored_ = false;
                return false;
            }
            try {
                // The ring is unrolled when it grows; it only wraps once full, so first_ is 0.
                chunks_.push_back(std::move(chunk));
            } catch (const std::bad_alloc&) {
                lastStored_ = false;
                return false;
            }
        }
    }
    Slot(count_) = rec;
    ++count_;
    lastStored_ = true;
    return dropped;
}

void CDataMem::Clear()
{
    chunks_.clear();
    chunks_.shrink_to_fit();
    first_ = 0;
    count_ = 0;
    lastStored_ = true;
}
