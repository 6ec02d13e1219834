#include "tools/tessaro-host/png.h"

#include <png.h>

#include <new>

#include "tools/tessaro-host/filewrite.h"

namespace tessaro {
namespace host {

namespace {

void Append(png_structp png, png_bytep data, png_size_t size)
{
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    bool full = false;
    try {
        out->insert(out->end(), data, data + size);
    } catch (const std::bad_alloc&) {
        full = true;  // no exception may cross libpng's C code
    }
    if (full)
        png_error(png, "out of memory");
}

void NoFlush(png_structp) {}

// libpng reports errors by jumping back to the setjmp in EncodePng; it
// prints nothing of its own.
void OnError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

}  // namespace

std::vector<uint8_t> EncodePng(int width, int height, const std::vector<uint8_t>& rgb)
{
    std::vector<uint8_t> out;
    if (width <= 0 || height <= 0 || rgb.size() < size_t(width) * size_t(height) * 3)
        return out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return out;
    }
    std::vector<png_bytep> rows(static_cast<size_t>(height));
    for (int y = 0; y < height; ++y)
        rows[size_t(y)] = const_cast<png_bytep>(rgb.data() + size_t(y) * size_t(width) * 3);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        out.clear();
        return out;
    }
    png_set_write_fn(png, &out, Append, NoFlush);
    // Pictures of flat colour and thin lines: the strongest compression
    // costs little at these sizes.
    png_set_compression_level(png, 9);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

bool WritePngFile(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb,
                  std::string& error)
{
    const std::vector<uint8_t> png = EncodePng(width, height, rgb);
    if (png.empty()) {
        error = path + ": the picture could not be encoded (out of memory?); nothing was written";
        return false;
    }
    return WriteWholeFile(path, png, error);
}

}  // namespace host
}  // namespace tessaro
