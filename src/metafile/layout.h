#pragma once
// The published layouts of Windows metafiles, written down once for the
// writers (render/), the players (import/) and the tests that read or build
// metafiles: record numbers, file headers, the offsets and sizes of the fixed
// fields, the GDI constants, and little-endian reading and writing. Names
// are those the published formats give, so each can be looked up there.
// Offsets count bytes from the start of an EMF record, or from the start of
// a WMF record's parameters. Qt-free.
#include <cstdint>

namespace klt {

// ---- Little-endian fields ----
namespace le {

inline std::uint16_t u16(const unsigned char* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t u32(const unsigned char* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24);
}
inline std::int16_t i16(const unsigned char* p) { return static_cast<std::int16_t>(u16(p)); }
inline std::int32_t i32(const unsigned char* p) { return static_cast<std::int32_t>(u32(p)); }

inline void put16(unsigned char* p, std::uint16_t v)
{
    p[0] = static_cast<unsigned char>(v & 0xff);
    p[1] = static_cast<unsigned char>(v >> 8);
}
inline void put32(unsigned char* p, std::uint32_t v)
{
    put16(p, static_cast<std::uint16_t>(v & 0xffff));
    put16(p + 2, static_cast<std::uint16_t>(v >> 16));
}

// Appends to any byte container with push_back(char) (QByteArray, std::string).
template <class Bytes>
void append16(Bytes& out, std::uint32_t v)
{
    out.push_back(static_cast<char>(v & 0xff));
    out.push_back(static_cast<char>((v >> 8) & 0xff));
}
template <class Bytes>
void append32(Bytes& out, std::uint32_t v)
{
    append16(out, v & 0xffff);
    append16(out, v >> 16);
}

} // namespace le

// ---- GDI: the values both formats share ----
namespace gdi {

enum : std::uint32_t {
    // Pen styles (the low four bits), end caps, joins and the pen type.
    PS_SOLID = 0, PS_DASH = 1, PS_DOT = 2, PS_DASHDOT = 3, PS_DASHDOTDOT = 4, PS_NULL = 5,
    PS_STYLE_MASK = 0x000F,
    PS_ENDCAP_ROUND = 0x0000, PS_ENDCAP_SQUARE = 0x0100, PS_ENDCAP_FLAT = 0x0200, PS_ENDCAP_MASK = 0x0F00,
    PS_JOIN_ROUND = 0x0000, PS_JOIN_BEVEL = 0x1000, PS_JOIN_MITER = 0x2000, PS_JOIN_MASK = 0xF000,
    PS_GEOMETRIC = 0x00010000,
    // Brush styles; a hatched brush has one of the six HS_ hatches.
    BS_SOLID = 0, BS_NULL = 1, BS_HATCHED = 2,
    HS_HORIZONTAL = 0, HS_VERTICAL = 1, HS_FDIAGONAL = 2, HS_BDIAGONAL = 3, HS_CROSS = 4, HS_DIAGCROSS = 5,
    // Background modes and polygon fill modes.
    TRANSPARENT = 1, OPAQUE = 2,
    ALTERNATE = 1, WINDING = 2,
    // Text alignment: TA_UPDATECP, the horizontal bits (mask 6), the vertical bits (mask 24).
    TA_UPDATECP = 1, TA_RIGHT = 2, TA_CENTER = 6, TA_HORIZONTAL_MASK = 6,
    TA_TOP = 0, TA_BOTTOM = 8, TA_BASELINE = 24, TA_VERTICAL_MASK = 24,
    // ExtTextOut options.
    ETO_OPAQUE = 0x0002, ETO_CLIPPED = 0x0004, ETO_NO_RECT = 0x0100,
    // Mapping modes.
    MM_TEXT = 1, MM_LOMETRIC = 2, MM_HIMETRIC = 3, MM_LOENGLISH = 4, MM_HIENGLISH = 5, MM_TWIPS = 6,
    MM_ISOTROPIC = 7, MM_ANISOTROPIC = 8,
    // ModifyWorldTransform modes.
    MWT_IDENTITY = 1, MWT_LEFTMULTIPLY = 2, MWT_RIGHTMULTIPLY = 3, MWT_SET = 4,
    // Region combination.
    RGN_COPY = 5,
    // Stock objects (an EMF selects one with ENHMETA_STOCK_OBJECT set).
    WHITE_BRUSH = 0, LTGRAY_BRUSH = 1, GRAY_BRUSH = 2, DKGRAY_BRUSH = 3, BLACK_BRUSH = 4, NULL_BRUSH = 5,
    WHITE_PEN = 6, BLACK_PEN = 7, NULL_PEN = 8, OEM_FIXED_FONT = 10, ANSI_FIXED_FONT = 11, ANSI_VAR_FONT = 12,
    SYSTEM_FONT = 13, DEVICE_DEFAULT_FONT = 14, SYSTEM_FIXED_FONT = 16, DEFAULT_GUI_FONT = 17,
    ENHMETA_STOCK_OBJECT = 0x80000000,
    // Character sets, graphics modes, bitmaps and raster operations.
    DEFAULT_CHARSET = 1, RUSSIAN_CHARSET = 204,
    GM_COMPATIBLE = 1,
    DIB_RGB_COLORS = 0, BI_RGB = 0, BI_BITFIELDS = 3,
    SRCCOPY = 0x00CC0020,
};

// A COLORREF: 0x00BBGGRR.
constexpr std::uint32_t colorRef(unsigned red, unsigned green, unsigned blue)
{
    return (red & 0xff) | ((green & 0xff) << 8) | ((blue & 0xff) << 16);
}
constexpr unsigned colorRefRed(std::uint32_t c) { return c & 0xff; }
constexpr unsigned colorRefGreen(std::uint32_t c) { return (c >> 8) & 0xff; }
constexpr unsigned colorRefBlue(std::uint32_t c) { return (c >> 16) & 0xff; }

// Bitmap headers of device-independent bitmaps.
inline constexpr int kBitmapInfoHeaderSize = 40;
inline constexpr int kBitmapCoreHeaderSize = 12;

// Characters of a LOGFONT's face name: bytes in WMF, UTF-16 units in EMF.
inline constexpr int kFaceNameChars = 32;

} // namespace gdi

// ---- Windows metafiles (16-bit) ----
namespace wmf {

// Record functions.
enum : std::uint16_t {
    META_EOF = 0x0000, META_SAVEDC = 0x001E, META_CREATEPALETTE = 0x00F7, META_SETBKMODE = 0x0102,
    META_SETMAPMODE = 0x0103, META_SETPOLYFILLMODE = 0x0106, META_RESTOREDC = 0x0127,
    META_SELECTOBJECT = 0x012D, META_SETTEXTALIGN = 0x012E, META_DIBCREATEPATTERNBRUSH = 0x0142,
    META_DELETEOBJECT = 0x01F0, META_CREATEPATTERNBRUSH = 0x01F9, META_SETBKCOLOR = 0x0201,
    META_SETTEXTCOLOR = 0x0209, META_SETWINDOWORG = 0x020B, META_SETWINDOWEXT = 0x020C,
    META_SETVIEWPORTORG = 0x020D, META_SETVIEWPORTEXT = 0x020E, META_LINETO = 0x0213, META_MOVETO = 0x0214,
    META_CREATEPENINDIRECT = 0x02FA, META_CREATEFONTINDIRECT = 0x02FB, META_CREATEBRUSHINDIRECT = 0x02FC,
    META_POLYGON = 0x0324, META_POLYLINE = 0x0325, META_INTERSECTCLIPRECT = 0x0416, META_ELLIPSE = 0x0418,
    META_RECTANGLE = 0x041B, META_SETPIXEL = 0x041F, META_TEXTOUT = 0x0521, META_POLYPOLYGON = 0x0538,
    META_ROUNDRECT = 0x061C, META_CREATEREGION = 0x06FF, META_ARC = 0x0817, META_PIE = 0x081A,
    META_CHORD = 0x0830, META_DIBBITBLT = 0x0940, META_EXTTEXTOUT = 0x0A32, META_DIBSTRETCHBLT = 0x0B41,
    META_STRETCHDIB = 0x0F43,
};

// The placeable header before the metafile: its bounds in logical units,
// their units per inch, and the XOR of its first ten 16-bit words.
namespace placeable {
inline constexpr std::uint32_t kKey = 0x9AC6CDD7;
inline constexpr int kKeyAt = 0, kHandle = 4, kLeft = 6, kTop = 8, kRight = 10, kBottom = 12, kInch = 14,
                     kReserved = 16, kChecksum = 20, kSize = 22;
inline std::uint16_t checksum(const unsigned char* header)
{
    std::uint16_t sum = 0;
    for (int i = 0; i < kChecksum; i += 2) sum ^= le::u16(header + i);
    return sum;
}
} // namespace placeable

// The metafile header; sizes count 16-bit words.
namespace header {
inline constexpr int kType = 0, kHeaderWords = 2, kVersion = 4, kFileWords = 6, kObjects = 10, kMaxRecordWords = 12,
                     kMembers = 16, kSize = 18;
inline constexpr std::uint16_t kMemory = 1, kDisk = 2, kVersion300 = 0x0300;
} // namespace header

// Every record: its size in words (32-bit), its function, then the parameters.
namespace record {
inline constexpr int kWords = 0, kFunction = 4, kSize = 6;
} // namespace record

// Parameters of the records with fixed fields (offsets from the first
// parameter). Coordinates come y before x, bottom-right before top-left.
namespace pen { // META_CREATEPENINDIRECT
inline constexpr int kStyle = 0, kWidth = 2, kColor = 6, kSize = 10;
}
namespace brush { // META_CREATEBRUSHINDIRECT
inline constexpr int kStyle = 0, kColor = 2, kHatch = 6, kSize = 8;
}
namespace font { // META_CREATEFONTINDIRECT: LOGFONT with 16-bit numbers and an 8-bit face name
inline constexpr int kHeight = 0, kWidth = 2, kEscapement = 4, kOrientation = 6, kWeight = 8, kItalic = 10,
                     kUnderline = 11, kStrikeOut = 12, kCharSet = 13, kFaceName = 18,
                     kSize = kFaceName + gdi::kFaceNameChars;
}
namespace exttextout { // META_EXTTEXTOUT: the rectangle only with ETO_OPAQUE or ETO_CLIPPED
inline constexpr int kY = 0, kX = 2, kCount = 4, kOptions = 6, kRectangle = 8, kString = 8, kRectangleSize = 8;
}
namespace stretchdib { // META_STRETCHDIB, a packed DIB after the fixed fields
inline constexpr int kRasterOp = 0, kUsage = 4, kSrcHeight = 6, kSrcWidth = 8, kSrcY = 10, kSrcX = 12,
                     kDestHeight = 14, kDestWidth = 16, kDestY = 18, kDestX = 20, kDib = 22;
}

} // namespace wmf

// ---- Enhanced metafiles ----
namespace emf {

// Record types.
enum : std::uint32_t {
    EMR_HEADER = 1, EMR_POLYBEZIER = 2, EMR_POLYGON = 3, EMR_POLYLINE = 4, EMR_POLYBEZIERTO = 5,
    EMR_POLYLINETO = 6, EMR_POLYPOLYLINE = 7, EMR_POLYPOLYGON = 8, EMR_SETWINDOWEXTEX = 9,
    EMR_SETWINDOWORGEX = 10, EMR_SETVIEWPORTEXTEX = 11, EMR_SETVIEWPORTORGEX = 12, EMR_EOF = 14,
    EMR_SETPIXELV = 15, EMR_SETMAPMODE = 17, EMR_SETBKMODE = 18, EMR_SETPOLYFILLMODE = 19,
    EMR_SETTEXTALIGN = 22, EMR_SETTEXTCOLOR = 24, EMR_SETBKCOLOR = 25, EMR_MOVETOEX = 27,
    EMR_INTERSECTCLIPRECT = 30, EMR_SAVEDC = 33, EMR_RESTOREDC = 34, EMR_SETWORLDTRANSFORM = 35,
    EMR_MODIFYWORLDTRANSFORM = 36, EMR_SELECTOBJECT = 37, EMR_CREATEPEN = 38, EMR_CREATEBRUSHINDIRECT = 39,
    EMR_DELETEOBJECT = 40, EMR_ELLIPSE = 42, EMR_RECTANGLE = 43, EMR_ROUNDRECT = 44, EMR_ARC = 45,
    EMR_CHORD = 46, EMR_PIE = 47, EMR_LINETO = 54, EMR_BEGINPATH = 59, EMR_ENDPATH = 60,
    EMR_CLOSEFIGURE = 61, EMR_FILLPATH = 62, EMR_STROKEANDFILLPATH = 63, EMR_STROKEPATH = 64,
    EMR_ABORTPATH = 68, EMR_EXTSELECTCLIPRGN = 75, EMR_STRETCHDIBITS = 81,
    EMR_EXTCREATEFONTINDIRECTW = 82, EMR_EXTTEXTOUTA = 83, EMR_EXTTEXTOUTW = 84, EMR_POLYBEZIER16 = 85,
    EMR_POLYGON16 = 86, EMR_POLYLINE16 = 87, EMR_POLYBEZIERTO16 = 88, EMR_POLYLINETO16 = 89,
    EMR_POLYPOLYLINE16 = 90, EMR_POLYPOLYGON16 = 91, EMR_EXTCREATEPEN = 95,
};

// Every record: its type, its size in bytes (a multiple of 4), then its fields.
namespace record {
inline constexpr int kType = 0, kSize = 4, kFields = 8;
}

// EMR_HEADER. Bounds in device pixels and the frame in 0.01 mm are
// inclusive rectangles (left, top, right, bottom); device and millimetres
// are the reference device's size.
namespace header {
inline constexpr std::uint32_t kSignature = 0x464D4520; // " EMF"
inline constexpr std::uint32_t kVersion1 = 0x00010000;
inline constexpr int kBounds = 8, kFrame = 24, kSignatureAt = 40, kVersion = 44, kBytes = 48, kRecords = 52,
                     kHandles = 56, kReserved = 58, kDescriptionChars = 60, kDescriptionOffset = 64,
                     kPaletteEntries = 68, kDevice = 72, kMillimeters = 80, kMinSize = 88,
                     kPixelFormatSize = 88, kPixelFormatOffset = 92, kOpenGL = 96, kMicrometers = 100, kSize = 108;
} // namespace header

// EMR_EOF: no palette entries follow in the files written here.
namespace eof {
inline constexpr int kPaletteEntries = 8, kPaletteOffset = 12, kSizeLast = 16, kSize = 20;
}

// Records of one 32-bit value (modes, colours, object indices).
inline constexpr int kValue = 8;

// The poly records: bounds, the point count, then the points (two 16-bit or
// two 32-bit coordinates each); the PolyPoly records give the number of
// polygons, the total of points and each polygon's count first.
namespace poly {
inline constexpr int kBounds = 8, kCount = 24, kPoints = 28;
inline constexpr int kPolyCount = 24, kTotal = 28, kCounts = 32;
} // namespace poly

namespace pen { // EMR_CREATEPEN: LOGPEN
inline constexpr int kIndex = 8, kStyle = 12, kWidth = 16, kColor = 24, kSize = 28;
}
namespace extpen { // EMR_EXTCREATEPEN: bitmap offsets, then LOGPEN_EX
inline constexpr int kIndex = 8, kStyle = 28, kWidth = 32, kBrushStyle = 36, kColor = 40, kHatch = 44,
                     kStyleEntries = 48, kSize = 52;
}
namespace brush { // EMR_CREATEBRUSHINDIRECT: LOGBRUSH32
inline constexpr int kIndex = 8, kStyle = 12, kColor = 16, kHatch = 20, kSize = 24;
}
namespace font { // EMR_EXTCREATEFONTINDIRECTW: LOGFONTW (32-bit numbers), in a LogFontPanose
inline constexpr int kIndex = 8, kHeight = 12, kWidth = 16, kEscapement = 20, kOrientation = 24, kWeight = 28,
                     kItalic = 32, kUnderline = 33, kStrikeOut = 34, kCharSet = 35, kFaceName = 40;
// From kHeight: the LOGFONTW, and the LogFontPanose around it.
inline constexpr int kLogFontSize = 92, kLogFontPanoseSize = 320;
} // namespace font
namespace text { // EMR_EXTTEXTOUTW and EMR_EXTTEXTOUTA: an EMRTEXT from kReference
inline constexpr int kBounds = 8, kGraphicsMode = 24, kScaleX = 28, kScaleY = 32, kReference = 36, kChars = 44,
                     kStringOffset = 48, kOptions = 52, kRectangle = 56, kDxOffset = 72, kSize = 76;
}
namespace stretchdibits { // EMR_STRETCHDIBITS
inline constexpr int kBounds = 8, kDestX = 24, kDestY = 28, kSrcX = 32, kSrcY = 36, kSrcWidth = 40,
                     kSrcHeight = 44, kInfoOffset = 48, kInfoSize = 52, kBitsOffset = 56, kBitsSize = 60,
                     kUsage = 64, kRasterOp = 68, kDestWidth = 72, kDestHeight = 76, kSize = 80;
}

} // namespace emf

} // namespace klt
