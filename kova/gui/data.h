// SData: a tagged value for data exchange (clipboard, drag and drop): text,
// a 32-bit integer, a float or custom bytes.
#pragma once

#include <cstring>

namespace kova::gui {

class SData {
public:
    enum Format { None = 0, Text = 1, Integer = 16, Float = 32, Custom = 128 };

    SData() = default;
    // Copies src as the format says: text (with its terminator; an empty or
    // null text leaves format and size 0), one 32-bit value for 16 and 32,
    // size bytes for 128 (null leaves format and size 0).
    SData(int f, const void* src, int n) : format(f)
    {
        switch (f) {
        case Text:
            SetTextData(static_cast<const char*>(src));
            break;
        case Integer:
            if (src)
                std::memcpy(&ivalue, src, 4);
            size = 4;
            break;
        case Float:
            if (src)
                std::memcpy(&fvalue, src, 4);
            size = 4;
            break;
        case Custom:
            SetCustomData(src, n);
            break;
        default:
            size = 0;
            break;
        }
    }
    ~SData()
    {
        delete[] text;
        delete[] custom;
    }
    SData(const SData&) = delete;
    SData& operator=(const SData&) = delete;

    void SetTextData(const char* src)
    {
        delete[] text;
        text = nullptr;
        if (!src || !*src) {
            format = None;
            size = 0;
            return;
        }
        size = (int)std::strlen(src) + 1;
        text = new char[size];
        std::memcpy(text, src, size);
        format = Text;
    }
    void SetCustomData(const void* src, int n)
    {
        delete[] custom;
        custom = nullptr;
        if (!src || n <= 0) {
            format = None;
            size = 0;
            return;
        }
        custom = new unsigned char[n];
        std::memcpy(custom, src, n);
        size = n;
        format = Custom;
    }
    void SetValueI(int v)
    {
        ivalue = v;
        format = Integer;
    }
    void SetValueF(float v)
    {
        fvalue = v;
        format = Float;
    }
    // The value only when the format matches, else null.
    int* GetValueI() { return format == Integer ? &ivalue : nullptr; }
    float* GetValueF() { return format == Float ? &fvalue : nullptr; }

    int GetSize() const { return size; }
    void SetSize(int n) { size = n; }
    int GetFormat() const { return format; }
    void SetFormat(int f) { format = f; }
    const char* GetTextData() const { return text; }
    const unsigned char* GetCustomData() const { return custom; }

private:
    int format = None;
    char* text = nullptr;
    unsigned char* custom = nullptr;
    int ivalue = 0;
    float fvalue = 0.0f;
    int size = 0;
};

}  // namespace kova::gui
