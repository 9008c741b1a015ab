#include "CodePageText.h"

#include <QList>
#include <QStringDecoder>
#include <QStringEncoder>
#include <array>

#include "platform/CodePage.h"

namespace fendrel {
namespace {

// Windows-1252 bytes 0x80..0x9F; the five bytes the code page leaves undefined keep their C1
// control character, so every byte still has a character and comes back unchanged.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Windows-1251 bytes 0x80..0xBF (0xC0..0xFF are U+0410..U+044F in order); the undefined 0x98
// keeps its C1 control character, as in the Western table.
constexpr std::array<char16_t, 64> kCyrillicHigh = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};
constexpr char16_t kCyrillicA = 0x0410;

// The code page is the one the case table was chosen for, so that folding and display agree.
bool Utf8CodePage() {
  return IsUtf8CaseTable(ActiveCaseTable());
}

// Invisible in a text view: DEL and the C1 controls.
bool InvisibleControl(char32_t c) {
  return c >= 0x7F && c <= 0x9F;
}

// A leading byte-order mark is content like any other bytes, never dropped.
constexpr auto kUtf8Flags =
    QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom;

QString DecodeUtf8(std::string_view bytes) {
  QStringDecoder decoder(QStringConverter::Utf8, kUtf8Flags);
  return decoder(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

std::string EncodeUtf8(const QString& text) {
  QStringEncoder encoder(QStringConverter::Utf8, kUtf8Flags);
  const QByteArray bytes = encoder(text);
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// The character of a byte in the active single-byte code page.
char16_t SingleByteChar(unsigned char byte) {
  if (ActiveCaseTable() == TCaseTable::Windows1251) {
    if (byte >= 0xC0) return static_cast<char16_t>(kCyrillicA + (byte - 0xC0));
    if (byte >= 0x80) return kCyrillicHigh[byte - 0x80];
    return byte;
  }
  if (byte >= 0x80 && byte <= 0x9F) return kHighControls[byte - 0x80];
  return byte;
}

// The byte of a character in the active single-byte code page, if it has one.
std::optional<char> SingleByte(char16_t c) {
  if (c < 0x80) return static_cast<char>(c);
  if (ActiveCaseTable() == TCaseTable::Windows1251) {
    if (c >= kCyrillicA && c < kCyrillicA + 64) return static_cast<char>(0xC0 + (c - kCyrillicA));
    for (std::size_t i = 0; i < kCyrillicHigh.size(); ++i) {
      if (kCyrillicHigh[i] == c) return static_cast<char>(0x80 + i);
    }
    return std::nullopt;
  }
  if (c >= 0xA0 && c <= 0xFF) return static_cast<char>(c);
  for (std::size_t i = 0; i < kHighControls.size(); ++i) {
    if (kHighControls[i] == c) return static_cast<char>(0x80 + i);
  }
  return std::nullopt;
}

}  // namespace

QString BytesToQString(std::string_view bytes) {
  if (Utf8CodePage()) return DecodeUtf8(bytes);
  QString text;
  text.reserve(static_cast<qsizetype>(bytes.size()));
  for (char byte : bytes)
    text += QChar(SingleByteChar(static_cast<unsigned char>(byte)));
  return text;
}

std::optional<std::string> QStringToBytes(const QString& text) {
  if (Utf8CodePage()) {
    std::string bytes = EncodeUtf8(text);
    // Lone surrogates have no UTF-8 form; the encoder would substitute for them.
    if (DecodeUtf8(bytes) != text) return std::nullopt;
    return bytes;
  }
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(text.size()));
  for (QChar c : text) {
    const std::optional<char> byte = SingleByte(c.unicode());
    if (!byte) return std::nullopt;
    bytes += *byte;
  }
  return bytes;
}

bool BytesShowable(std::string_view bytes) {
  if (Utf8CodePage()) {
    const QString text = DecodeUtf8(bytes);
    if (EncodeUtf8(text) != bytes) return false;  // invalid UTF-8
    for (char32_t c : text.toUcs4()) {
      if (InvisibleControl(c)) return false;
    }
    return true;
  }
  for (char byte : bytes) {
    if (InvisibleControl(SingleByteChar(static_cast<unsigned char>(byte)))) return false;
  }
  return true;
}

}  // namespace fendrel
