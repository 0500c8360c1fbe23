#include "app/layout/icon_file.h"

namespace morvik {
namespace {

constexpr std::uint32_t kDirectorySize = 6;
constexpr std::uint32_t kEntrySize = 16;
constexpr std::uint32_t kBitmapHeaderSize = 40;
constexpr std::uint32_t kPaletteSize = 16 * 4;

class LittleEndian {
 public:
  explicit LittleEndian(std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
  void Byte(std::uint32_t value) { bytes_.push_back(static_cast<std::uint8_t>(value & 0xFF)); }
  void Word(std::uint32_t value) {
    Byte(value);
    Byte(value >> 8);
  }
  void DWord(std::uint32_t value) {
    Word(value & 0xFFFF);
    Word(value >> 16);
  }

 private:
  std::vector<std::uint8_t>& bytes_;
};

// Rows of a bitmap are padded to 4 bytes.
std::uint32_t RowBytes(int size, int bitsPerPixel) {
  return static_cast<std::uint32_t>((size * bitsPerPixel + 31) / 32 * 4);
}

std::uint32_t ImageBytes(const IconImage& image) {
  const auto rows = static_cast<std::uint32_t>(image.size);
  return kBitmapHeaderSize + kPaletteSize + rows * (RowBytes(image.size, 4) + RowBytes(image.size, 1));
}

void WriteBitmapHeader(LittleEndian& out, int size) {
  out.DWord(kBitmapHeaderSize);
  out.DWord(static_cast<std::uint32_t>(size));
  out.DWord(static_cast<std::uint32_t>(size * 2));  // colour bits and mask together
  out.Word(1);                                      // planes
  out.Word(4);                                      // bits per pixel
  for (int field = 0; field < 6; ++field) out.DWord(0);
  for (const std::uint32_t colour : kIconPalette) {
    out.Byte(colour);        // blue
    out.Byte(colour >> 8);   // green
    out.Byte(colour >> 16);  // red
    out.Byte(0);
  }
}

// Transparent pixels are colour 0 under a set mask bit.
void WriteBits(std::vector<std::uint8_t>& bytes, const IconImage& image, bool mask) {
  const std::uint32_t rowBytes = RowBytes(image.size, mask ? 1 : 4);
  for (int y = image.size - 1; y >= 0; --y) {
    std::vector<std::uint8_t> row(rowBytes, 0);
    for (int x = 0; x < image.size; ++x) {
      const int pixel = image.At(x, y);
      const auto column = static_cast<std::size_t>(x);
      if (mask) {
        if (pixel == kTransparent) row[column / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
      } else if (pixel != kTransparent) {
        row[column / 2] |= static_cast<std::uint8_t>(x % 2 == 0 ? pixel << 4 : pixel);
      }
    }
    bytes.insert(bytes.end(), row.begin(), row.end());
  }
}

}  // namespace

std::vector<std::uint8_t> IconFileBytes(std::span<const IconImage> images) {
  std::vector<std::uint8_t> bytes;
  LittleEndian out(bytes);
  out.Word(0);
  out.Word(1);  // an icon
  out.Word(static_cast<std::uint32_t>(images.size()));
  auto offset = static_cast<std::uint32_t>(kDirectorySize + kEntrySize * images.size());
  for (const IconImage& image : images) {
    out.Byte(static_cast<std::uint32_t>(image.size));
    out.Byte(static_cast<std::uint32_t>(image.size));
    out.Byte(16);  // colours
    out.Byte(0);
    out.Word(1);   // planes
    out.Word(4);   // bits per pixel
    out.DWord(ImageBytes(image));
    out.DWord(offset);
    offset += ImageBytes(image);
  }
  for (const IconImage& image : images) {
    WriteBitmapHeader(out, image.size);
    WriteBits(bytes, image, false);
    WriteBits(bytes, image, true);
  }
  return bytes;
}

}  // namespace morvik
