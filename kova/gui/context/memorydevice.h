// A memory device: a drawing device whose drawable is a bitmap's pixmap. A
// drawing context retargeted to it with SDrawing::SetDevice draws off
// screen; SDrawing::DrawMemory copies from it onto the context's drawable.
//
// Double buffering:
//   saved = drawing->GetDevice();
//   drawing->SetDevice(memory);   ... draw ...   drawing->SetDevice(saved);
//   drawing->DrawMemory(memory, to, from);       // from the draw handler
#pragma once

#include "kova/gui/context/bitmap.h"
#include "kova/gui/context/device.h"

namespace kova::gui::context {

class SDrawMemoryDevice : public SDrawDevice {
public:
    // Keeps the parent (not owned, not used for drawing); selects the bitmap
    // when it is not null. The bitmap must outlive the device.
    SDrawMemoryDevice(SDrawDevice* parent, SDrawBitmap* bitmap);
    // Frees its GC; the bitmap is not deleted.
    ~SDrawMemoryDevice() override;

    // Points the device at another bitmap with a fresh GC. Nothing for null.
    void Select(SDrawBitmap* bitmap);

    GC Get() override;
    // The selected bitmap's pixmap; 0 when no bitmap is selected.
    Drawable GetDrawable() override;

    SDrawDevice* GetParent() const { return parent; }
    SDrawBitmap* GetBitmap() const { return bitmap; }

private:
    SDrawDevice* parent;
    SDrawBitmap* bitmap = nullptr;
    GC memoryGC = nullptr;
};

}  // namespace kova::gui::context
