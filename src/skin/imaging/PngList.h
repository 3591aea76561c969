#pragma once

// The chunk list of a PNG image, in file order, and the rules by which new
// chunks join it: critical chunks and second gAMA, tRNS or pHYs chunks are
// refused (unless the image is being built by MakeBlank), and each chunk
// class has its place.

#include "platform/rtl/List.h"
#include "skin/imaging/PngChunk.h"

namespace skin {

class TPNGPointerList : public rtl::TList {
    RTL_CLASS(TPNGPointerList, rtl::TList)
public:
    explicit TPNGPointerList(TPngImage* Owner) : fOwner(Owner) {}
    [[nodiscard]] TPngImage* Owner() const noexcept { return fOwner; }

private:
    TPngImage* fOwner;
};

class TPNGList : public TPNGPointerList {
    RTL_CLASS(TPNGList, TPNGPointerList)
public:
    using TPNGPointerList::TPNGPointerList;

    // The first chunk of the class or a descendant, or none.
    [[nodiscard]] TChunk* FindChunk(TChunkClass ChunkClass) const;
    [[nodiscard]] TChunk* ItemFromClass(TChunkClass ChunkClass) const { return FindChunk(ChunkClass); }
    template <typename T>
    [[nodiscard]] T* Find() const {
        return static_cast<T*>(FindChunk(T::StaticClass()));
    }
    [[nodiscard]] TChunk* GetItem(int Index) const { return static_cast<TChunk*>(Items(Index)); }
    // Removes and frees the chunk.
    void RemoveChunk(TChunk* Chunk);
    // Creates a chunk of the class at its place; raises EPngError as the
    // order rules say.
    TChunk* Add(TChunkClass ChunkClass);
    template <typename T>
    T* Add() {
        return static_cast<T*>(Add(T::StaticClass()));
    }
    // Appends a chunk as loading and assignment do, in file order.
    void Append(TChunk* Chunk) { TList::Add(Chunk); }
    // Frees every chunk.
    void FreeAll();
};

} // namespace skin
