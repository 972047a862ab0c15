// Tuning engine: pitch conversions, number text, clamping and rounding, and the master-tune messages.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "engine/pitch.h"
#include "engine/tune_message.h"

// Counts every allocation through operator new while a test asks for it.
static bool CountAllocations = false;
static long AllocationCount = 0;

static void* CountedAllocate(std::size_t size) {
  if (CountAllocations) ++AllocationCount;
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block == nullptr) throw std::bad_alloc();
  return block;
}

void* operator new(std::size_t size) { return CountedAllocate(size); }
void* operator new[](std::size_t size) { return CountedAllocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (CountAllocations) ++AllocationCount;
  return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  if (CountAllocations) ++AllocationCount;
  return std::malloc(size == 0 ? 1 : size);
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }

namespace {

std::string Fixed(double value, int decimals) {
  char text[FixedTextSize];
  std::size_t length = FormatFixed(value, decimals, text, sizeof text);
  EXPECT_EQ(length, std::strlen(text));
  return text;
}

std::string HexOfMessage() {
  char text[TuneBufferSize];
  FormatTuneHex(TuneMessage.bytes, TuneMessage.length, text, sizeof text);
  return text;
}

std::string FormatName(int format) { return format == GS ? "GS" : format == XG ? "XG" : "GM2"; }

// ---------------------------------------------------------------------------------------------------------
// Worked messages: input field, format, the state left behind and the message text.

struct WorkedRow {
  TuneSource source;
  const char* text;
  int format;
  const char* cents;
  const char* hertz;
  const char* hex;
};

const WorkedRow WorkedRows[] = {
    {FromHertz, "440", GS, "0.0", "440.000000", "F0 41 10 42 12 40 00 00 00 04 00 00 3C F7"},
    {FromHertz, "440", XG, "0.0", "440.000000", "F0 43 10 4C 00 00 00 00 04 00 00 F7"},
    {FromHertz, "440", GM2, "0.00", "440.000000", "F0 7F 7F 04 03 00 40 F7"},
    {FromHertz, "442", GS, "7.9", "442.012404", "F0 41 10 42 12 40 00 00 00 04 04 0F 29 F7"},
    {FromHertz, "442", XG, "7.9", "442.012404", "F0 43 10 4C 00 00 00 00 04 04 0F F7"},
    {FromHertz, "442", GM2, "7.85", "441.999639", "F0 7F 7F 04 03 03 45 F7"},
    {FromCents, "50", GS, "50.0", "452.892984", "F0 41 10 42 12 40 00 00 00 05 0F 04 28 F7"},
    {FromCents, "50", XG, "50.0", "452.892984", "F0 43 10 4C 00 00 00 00 05 0F 04 F7"},
    {FromCents, "50", GM2, "50.00", "452.892984", "F0 7F 7F 04 03 00 60 F7"},
    {FromCents, "-100", GS, "-100.0", "415.304698", "F0 41 10 42 12 40 00 00 00 00 01 08 37 F7"},
    {FromCents, "-100", XG, "-100.0", "415.304698", "F0 43 10 4C 00 00 00 00 00 01 08 F7"},
    {FromCents, "-100", GM2, "-100.00", "415.304698", "F0 7F 7F 04 03 00 00 F7"},
    {FromCents, "-0.5", GS, "-0.5", "439.872941", "F0 41 10 42 12 40 00 00 00 03 0F 0B 23 F7"},
    {FromCents, "-0.5", GM2, "-0.50", "439.872941", "F0 7F 7F 04 03 58 3F F7"},
    {FromCents, "12.35", GS, "12.4", "443.162823", "F0 41 10 42 12 40 00 00 00 04 07 0C 29 F7"},
    {FromCents, "12.35", GM2, "12.35", "443.150024", "F0 7F 7F 04 03 73 47 F7"},
    {FromHertz, "1000", GS, "100.0", "466.163762", "F0 41 10 42 12 40 00 00 00 07 0E 08 23 F7"},
    {FromHertz, "1000", XG, "102.3", "466.783487", "F0 43 10 4C 00 00 00 00 07 0F 0F F7"},
    {FromHertz, "1000", GM2, "99.99", "466.161069", "F0 7F 7F 04 03 7F 7F F7"},
    {FromCents, "-102.4", XG, "-102.4", "414.729362", "F0 43 10 4C 00 00 00 00 00 00 00 F7"},
    // Unusable text builds the 0-cent message.
    {FromHertz, "", GS, "0.0", "440.000000", "F0 41 10 42 12 40 00 00 00 04 00 00 3C F7"},
    {FromCents, "abc", XG, "0.0", "440.000000", "F0 43 10 4C 00 00 00 00 04 00 00 F7"},
    {FromHertz, "0", GS, "0.0", "440.000000", "F0 41 10 42 12 40 00 00 00 04 00 00 3C F7"},
    {FromHertz, "-5", GM2, "0.00", "440.000000", "F0 7F 7F 04 03 00 40 F7"},
    {FromHertz, "1e999", GS, "0.0", "440.000000", "F0 41 10 42 12 40 00 00 00 04 00 00 3C F7"},
    {FromCents, "  +12.35 cents", GS, "12.4", "443.162823", "F0 41 10 42 12 40 00 00 00 04 07 0C 29 F7"},
    // Clamped to the format's range.
    {FromCents, "100", GM2, "99.99", "466.161069", "F0 7F 7F 04 03 7F 7F F7"},
    {FromCents, "-150", XG, "-102.4", "414.729362", "F0 43 10 4C 00 00 00 00 00 00 00 F7"},
    {FromCents, "12.35", XG, "12.4", "443.162823", "F0 43 10 4C 00 00 00 00 04 07 0C F7"},
    // GM2 truncates toward zero: anything below one step (100/8192 cent) is 0x2000.
    {FromCents, "0.01", GM2, "0.01", "440.002542", "F0 7F 7F 04 03 00 40 F7"},
    {FromCents, "-0.01", GM2, "-0.01", "439.997458", "F0 7F 7F 04 03 00 40 F7"},
    {FromCents, "0.02", GM2, "0.02", "440.005083", "F0 7F 7F 04 03 01 40 F7"},
    {FromCents, "-0.02", GM2, "-0.02", "439.994917", "F0 7F 7F 04 03 7F 3F F7"},
    // Rounds to zero: CurrentCents is a zero that prints without sign.
    {FromCents, "-0.04", GS, "0.0", "440.000000", "F0 41 10 42 12 40 00 00 00 04 00 00 3C F7"},
};

void PrintTo(const WorkedRow& row, std::ostream* out) {
  *out << (row.source == FromHertz ? "hertz " : "cents ") << '"' << row.text << "\" "
       << FormatName(row.format);
}

class WorkedMessage : public testing::TestWithParam<WorkedRow> {};

TEST_P(WorkedMessage, BuildsMessageAndState) {
  const WorkedRow& row = GetParam();
  ASSERT_TRUE(BuildTuneMessage(row.source, row.text, row.format));
  EXPECT_EQ(Fixed(CurrentCents, CentsRange[row.format].decimals), row.cents);
  EXPECT_EQ(Fixed(CurrentHertz, 6), row.hertz);
  EXPECT_EQ(HexOfMessage(), row.hex);
  EXPECT_EQ(TuneMessage.length, row.format == GS ? 14 : row.format == XG ? 12 : 8);
}

INSTANTIATE_TEST_SUITE_P(Rows, WorkedMessage, testing::ValuesIn(WorkedRows),
                         [](const testing::TestParamInfo<WorkedRow>& info) {
                           return "Row" + std::to_string(info.index) + FormatName(info.param.format);
                         });

TEST(BuildTuneMessage, FormatOutsideRangeKeepsPreviousMessage) {
  ASSERT_TRUE(BuildTuneMessage(FromHertz, "442", XG));
  const std::string before = HexOfMessage();
  for (int format : {-1, 3, 100}) {
    EXPECT_FALSE(BuildTuneMessage(FromHertz, "446", format));
    EXPECT_EQ(TuneMessage.length, 12);
    EXPECT_EQ(HexOfMessage(), before);
  }
}

TEST(BuildTuneMessage, LooksAtFirst63CharactersOnly) {
  // 60 zeros and 442: 63 characters, read whole. One more zero pushes the 2 out: 44 Hz, clamped to -100.
  const std::string fits = std::string(60, '0') + "442";
  ASSERT_TRUE(BuildTuneMessage(FromHertz, fits.c_str(), GS));
  EXPECT_EQ(Fixed(CurrentCents, 1), "7.9");
  const std::string tooLong = std::string(61, '0') + "442";
  ASSERT_TRUE(BuildTuneMessage(FromHertz, tooLong.c_str(), GS));
  EXPECT_EQ(Fixed(CurrentCents, 1), "-100.0");
}

TEST(BuildTuneMessage, NullTextIsUnusable) {
  ASSERT_TRUE(BuildTuneMessage(FromCents, "50", GS));
  ASSERT_TRUE(BuildTuneMessage(FromCents, nullptr, GS));
  EXPECT_EQ(CurrentCents, 0.0);
  EXPECT_EQ(CurrentHertz, 440.0);
}

// Every legal tenth of GS and XG: the four nibbles carry 0x400 + tenths, and the GS checksum makes the
// address, data and checksum bytes sum to 0 modulo 128.
TEST(BuildTuneMessage, GsAndXgEncodeEveryTenth) {
  for (int format : {GS, XG}) {
    const int first = format == GS ? -1000 : -1024;
    const int last = format == GS ? 1000 : 1023;
    const int offset = format == GS ? 8 : 7;
    for (int tenths = first; tenths <= last; ++tenths) {
      const std::string text = Fixed(tenths / 10.0, 1);
      ASSERT_TRUE(BuildTuneMessage(FromCents, text.c_str(), format));
      const unsigned char* b = TuneMessage.bytes + offset;
      ASSERT_EQ(b[0] << 12 | b[1] << 8 | b[2] << 4 | b[3], tenths + 0x400)
          << FormatName(format) << " " << text;
      if (format == GS) {
        int sum = 0;
        for (int i = 5; i <= 12; ++i) sum += TuneMessage.bytes[i];
        ASSERT_EQ(sum % 128, 0) << text;
        ASSERT_LT(TuneMessage.bytes[12], 0x80) << text;
      }
    }
  }
}

// Every legal hundredth of GM2: the double product c x 81.92 truncates like the exact decimal product.
TEST(BuildTuneMessage, Gm2EncodesEveryHundredth) {
  for (int hundredths = -10000; hundredths <= 9999; ++hundredths) {
    const std::string text = Fixed(hundredths / 100.0, 2);
    ASSERT_TRUE(BuildTuneMessage(FromCents, text.c_str(), GM2));
    const int value = TuneMessage.bytes[5] | TuneMessage.bytes[6] << 7;
    ASSERT_EQ(value, 8192 + hundredths * 8192 / 10000) << text;
    ASSERT_LT(TuneMessage.bytes[5], 0x80);
    ASSERT_LT(TuneMessage.bytes[6], 0x80);
  }
}

// Every value a commit can leave builds the same message and state from the number as from its text.
TEST(BuildTuneMessage, FromRoundedCentsAsFromTheirText) {
  for (int format = 0; format < MidiFormatCount; ++format) {
    const double step = format == GM2 ? 0.01 : 0.1;
    for (double raw = CentsRange[format].minimum - 1; raw <= CentsRange[format].maximum + 1;
         raw += step / 2) {
      const double cents = RoundCents(ClampCents(raw, format), format);
      char text[FixedTextSize];
      FormatFixed(cents, CentsRange[format].decimals, text, sizeof text);
      ASSERT_TRUE(BuildTuneMessage(FromCents, text, format));
      const std::string fromText = HexOfMessage();
      const double centsFromText = CurrentCents;
      const double hertzFromText = CurrentHertz;
      ASSERT_TRUE(BuildTuneMessageFromCents(cents, format));
      ASSERT_EQ(HexOfMessage(), fromText) << text << " in " << FormatName(format);
      ASSERT_EQ(CurrentCents, centsFromText) << text;
      ASSERT_EQ(CurrentHertz, hertzFromText) << text;
    }
  }
  EXPECT_FALSE(BuildTuneMessageFromCents(0.0, 3));
}

TEST(BuildTuneMessage, GsChecksumAtRangeEnds) {
  ASSERT_TRUE(BuildTuneMessage(FromCents, "-100", GS));
  EXPECT_EQ(TuneMessage.bytes[12], 0x37);
  ASSERT_TRUE(BuildTuneMessage(FromCents, "100", GS));
  EXPECT_EQ(TuneMessage.bytes[12], 0x23);
}

// ---------------------------------------------------------------------------------------------------------
// Hexadecimal text.

struct HexRow {
  std::vector<unsigned char> bytes;
  const char* text;
};

void PrintTo(const HexRow& row, std::ostream* out) { *out << row.bytes.size() << " bytes"; }

class TuneHex : public testing::TestWithParam<HexRow> {};

TEST_P(TuneHex, WritesTwoDigitsAndBlanks) {
  const HexRow& row = GetParam();
  char text[TuneBufferSize];
  std::memset(text, 'x', sizeof text);
  std::size_t length =
      FormatTuneHex(row.bytes.data(), static_cast<std::int32_t>(row.bytes.size()), text, sizeof text);
  EXPECT_STREQ(text, row.text);
  EXPECT_EQ(length, std::strlen(row.text));
}

INSTANTIATE_TEST_SUITE_P(Rows, TuneHex,
                         testing::Values(HexRow{{}, ""}, HexRow{{0xF7}, "F7"}, HexRow{{0x0A, 0xFF}, "0A FF "},
                                         HexRow{{0xF0, 0x7F, 0x7F, 0x04, 0x03, 0x00, 0x40, 0xF7},
                                                "F0 7F 7F 04 03 00 40 F7"}));

TEST(TuneHex, LengthIsThreeBytesLessOne) {
  const int expected[MidiFormatCount] = {41, 35, 23};
  for (int format = 0; format < MidiFormatCount; ++format) {
    ASSERT_TRUE(BuildTuneMessage(FromHertz, "442", format));
    char text[TuneBufferSize];
    std::size_t length = FormatTuneHex(TuneMessage.bytes, TuneMessage.length, text, sizeof text);
    EXPECT_EQ(length, static_cast<std::size_t>(expected[format])) << FormatName(format);
    EXPECT_EQ(length, static_cast<std::size_t>(3 * TuneMessage.length - 1));
    EXPECT_NE(text[length - 1], ' ');
  }
}

TEST(TuneHex, CutsToFitBuffer) {
  const unsigned char bytes[] = {0xF0, 0x41, 0x10, 0xF7};
  char text[5];
  EXPECT_EQ(FormatTuneHex(bytes, 4, text, sizeof text), 4u);
  EXPECT_STREQ(text, "F0 4");
  EXPECT_EQ(FormatTuneHex(bytes, 4, text, 1), 0u);
  EXPECT_STREQ(text, "");
}

// ---------------------------------------------------------------------------------------------------------
// Number text.

struct FixedRow {
  double value;
  int decimals;
  std::string text;
};

void PrintTo(const FixedRow& row, std::ostream* out) {
  *out << std::hexfloat << row.value << " with " << row.decimals << " decimals";
}

class FixedText : public testing::TestWithParam<FixedRow> {};

TEST_P(FixedText, RoundsTo17DigitsThenHalfAwayFromZero) {
  EXPECT_EQ(Fixed(GetParam().value, GetParam().decimals), GetParam().text);
}

const double Largest = std::numeric_limits<double>::max();
const double SmallestSubnormal = std::numeric_limits<double>::denorm_min();

INSTANTIATE_TEST_SUITE_P(
    Rows, FixedText,
    testing::Values(
        // Stored just below the half, but the half at 17 digits: rounds up.
        FixedRow{12.35, 1, "12.4"}, FixedRow{12.25, 1, "12.3"}, FixedRow{-12.25, 1, "-12.3"},
        FixedRow{0.15, 1, "0.1"}, FixedRow{0.125, 2, "0.13"}, FixedRow{1.005, 2, "1.00"},
        FixedRow{440.0, 6, "440.000000"}, FixedRow{442.0124043618522, 6, "442.012404"},
        FixedRow{442.01, 6, "442.010000"}, FixedRow{7.851415, 1, "7.9"}, FixedRow{7.851415, 2, "7.85"},
        // Zero has no sign; a negative value that rounds to zero keeps it.
        FixedRow{0.0, 1, "0.0"}, FixedRow{-0.0, 1, "0.0"}, FixedRow{0.0, 2, "0.00"},
        FixedRow{-0.0, 6, "0.000000"}, FixedRow{-0.04, 1, "-0.0"}, FixedRow{0.04, 1, "0.0"},
        FixedRow{0.05, 1, "0.1"}, FixedRow{-0.05, 1, "-0.1"},
        // Carries through nines into a new leading digit.
        FixedRow{99.96, 1, "100.0"}, FixedRow{-9.96, 1, "-10.0"}, FixedRow{0.995, 2, "1.00"},
        FixedRow{9.9999996, 6, "10.000000"},
        // No decimals: no point, and halves go up.
        FixedRow{0.5, 0, "1"}, FixedRow{2.5, 0, "3"}, FixedRow{-2.5, 0, "-3"}, FixedRow{0.49, 0, "0"},
        // Below the last decimal, and tiny values.
        FixedRow{0.0000015, 6, "0.000002"}, FixedRow{0.0000005, 6, "0.000000"},
        FixedRow{0.0000004, 6, "0.000000"}, FixedRow{SmallestSubnormal, 6, "0.000000"},
        FixedRow{-SmallestSubnormal, 1, "-0.0"},
        // Large values show 17 significant digits, then zeros.
        FixedRow{123456789012345678.0, 1, "123456789012345680.0"},
        FixedRow{1e22, 1, "10000000000000000000000.0"},
        FixedRow{Largest, 0, "17976931348623157" + std::string(292, '0')},
        FixedRow{-1e308, 2, "-1" + std::string(308, '0') + ".00"}));

TEST(FixedText, HertzOfRoundedCents) {
  EXPECT_EQ(Fixed(HertzFromCents(7.9), 6), "442.012404");
  EXPECT_EQ(Fixed(HertzFromCents(7.85), 6), "441.999639");
  EXPECT_EQ(Fixed(HertzFromCents(-100.0), 6), "415.304698");
  EXPECT_EQ(Fixed(HertzFromCents(100.0), 6), "466.163762");
}

TEST(FixedText, CutsToFitBuffer) {
  char text[4];
  EXPECT_EQ(FormatFixed(440.0, 6, text, sizeof text), 3u);
  EXPECT_STREQ(text, "440");
}

TEST(FixedText, LongestTextFits) {
  char text[FixedTextSize];
  std::size_t length = FormatFixed(-Largest, 6, text, sizeof text);
  EXPECT_EQ(length, 1 + 309 + 1 + 6u);
  EXPECT_LT(length, FixedTextSize);
}

// A plain second implementation: the exact expansion by halving decimal digits, then both roundings on
// digit strings.
struct DecimalDigits {
  std::string digits;  // no leading zeros
  int point;           // digits before the decimal point; may be negative or beyond the digits
};

DecimalDigits ExactDecimal(double magnitude) {
  int exponent = 0;
  double fraction = std::frexp(magnitude, &exponent);
  std::uint64_t mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
  exponent -= 53;
  std::vector<int> digits;  // most significant first
  for (char c : std::to_string(mantissa)) digits.push_back(c - '0');
  int point = static_cast<int>(digits.size());
  for (; exponent > 0; --exponent) {
    int carry = 0;
    for (std::size_t i = digits.size(); i-- > 0;) {
      int twice = digits[i] * 2 + carry;
      digits[i] = twice % 10;
      carry = twice / 10;
    }
    if (carry) {
      digits.insert(digits.begin(), carry);
      ++point;
    }
  }
  for (; exponent < 0; ++exponent) {
    int remainder = 0;
    for (int& digit : digits) {
      int current = remainder * 10 + digit;
      digit = current / 2;
      remainder = current % 2;
    }
    if (remainder) digits.push_back(5);
  }
  DecimalDigits result{"", point};
  std::size_t start = 0;
  while (start < digits.size() && digits[start] == 0) {
    ++start;
    --result.point;
  }
  for (std::size_t i = start; i < digits.size(); ++i) result.digits += static_cast<char>('0' + digits[i]);
  return result;
}

void RoundToDigits(DecimalDigits& number, int keep) {
  if (static_cast<int>(number.digits.size()) <= keep) return;
  bool up = keep >= 0 && number.digits[keep] >= '5';
  number.digits.resize(keep > 0 ? keep : 0);
  if (!up) return;
  int i = static_cast<int>(number.digits.size()) - 1;
  while (i >= 0 && number.digits[i] == '9') number.digits[i--] = '0';
  if (i >= 0) {
    ++number.digits[i];
  } else {
    number.digits.insert(number.digits.begin(), '1');
    ++number.point;
  }
}

std::string ReferenceFixed(double value, int decimals) {
  std::string text;
  if (value == 0.0) return "0" + (decimals > 0 ? "." + std::string(decimals, '0') : std::string());
  DecimalDigits number = ExactDecimal(std::fabs(value));
  RoundToDigits(number, 17);
  RoundToDigits(number, number.point + decimals);
  auto digitAt = [&](int place) {  // digit of 10^place
    int i = number.point - 1 - place;
    return i >= 0 && i < static_cast<int>(number.digits.size()) ? number.digits[i] : '0';
  };
  if (value < 0) text += '-';
  if (number.point <= 0) text += '0';
  for (int place = number.point - 1; place >= 0; --place) text += digitAt(place);
  if (decimals > 0) text += '.';
  for (int place = -1; place >= -decimals; --place) text += digitAt(place);
  return text;
}

TEST(FixedText, AgreesWithDigitStringRounding) {
  std::mt19937_64 random(20041220);
  std::vector<double> values;
  for (int i = 0; i < 300; ++i) {  // any finite double
    std::uint64_t bits = random();
    double value;
    std::memcpy(&value, &bits, sizeof value);
    if (std::isfinite(value)) values.push_back(value);
  }
  for (int i = 0; i < 3000; ++i) {  // pitch-sized values with many digits, and the doubles near halves
    values.push_back(static_cast<double>(random() % 2000000000) / 1000000 - 1000.0);
    values.push_back((static_cast<double>(random() % 200000) * 2 + 1) / 2000.0);
    values.push_back((static_cast<double>(random() % 20000) * 2 + 1) / 20.0);
  }
  for (double value : values) {
    for (int decimals : {0, 1, 2, 6}) {
      ASSERT_EQ(Fixed(value, decimals), ReferenceFixed(value, decimals)) << std::hexfloat << value;
    }
  }
}

// FormatFixed decides most values with integer arithmetic; FormatFixedExact expands every digit. Both must
// give the same text for every double and every width. The generators aim at the places where a shortcut
// goes wrong: the doubles around every kind of half, the 17-digit ties, and the edges of the fast path's
// range. SONOREL_FIXED_SAMPLES sets the number of values per generator for longer runs.
class FastAndExactText : public testing::Test {
 protected:
  void Compare(double value) {
    ++compared_;
    for (int decimals = 0; decimals <= 6; ++decimals) {
      FormatFixed(value, decimals, fast_, sizeof fast_);
      FormatFixedExact(value, decimals, exact_, sizeof exact_);
      if (std::strcmp(fast_, exact_) != 0 && ++mismatches_ <= 20) {
        ADD_FAILURE() << std::hexfloat << value << std::defaultfloat << " (" << value << ") with " << decimals
                      << " decimals: fast " << fast_ << ", exact " << exact_;
      }
    }
  }
  // value and its neighbours up to `steps` doubles away on either side
  void CompareAround(double value, int steps) {
    Compare(value);
    double below = value;
    double above = value;
    for (int i = 0; i < steps; ++i) {
      below = std::nextafter(below, -Largest);
      above = std::nextafter(above, Largest);
      Compare(below);
      Compare(above);
    }
  }
  double Uniform() { return static_cast<double>(random_() >> 11) * 0x1p-53; }  // [0, 1)

  static long Samples() {
    const char* text = std::getenv("SONOREL_FIXED_SAMPLES");
    long samples = text ? std::atol(text) : 0;
    return samples > 0 ? samples : 100000;
  }

  std::mt19937_64 random_{20041220};
  char fast_[FixedTextSize];
  char exact_[FixedTextSize];
  long compared_ = 0;
  long mismatches_ = 0;
};

TEST_F(FastAndExactText, AgreeOnEveryKindOfDouble) {
  const long samples = Samples();
  const double powers[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6};
  for (long i = 0; i < samples; ++i) {
    // Any finite double, by its bits: every magnitude from subnormals to the largest.
    std::uint64_t bits = random_();
    double any;
    std::memcpy(&any, &bits, sizeof any);
    if (std::isfinite(any)) Compare(any);
    // Pitch-sized values with every mantissa bit random, in both signs.
    Compare((Uniform() * 4400.0 - 2200.0));
    Compare(std::ldexp(1.0 + Uniform(), static_cast<int>(random_() % 40) - 20));
    // The doubles nearest a half of the last decimal of some width, k.5 x 10^-d, and their neighbours:
    // 12.35, 0.15, 1.005 and every other decimal that lies just below or above its half.
    int d = static_cast<int>(random_() % 7);
    double k = static_cast<double>(random_() % (std::uint64_t{1} << (1 + random_() % 50)));
    CompareAround((k + 0.5) / powers[d], 3);
    // Exact binary halves and quarters (2.5, 0.125): ties at the last decimal.
    CompareAround(
        std::ldexp(static_cast<double>(random_() % 100000 * 2 + 1), -static_cast<int>(random_() % 24)), 1);
    // Exact 17-digit ties: n x 2^-j with n odd has the last digit 5, and 18 digits when n x 5^j does.
    int j = 3 + static_cast<int>(random_() % 20);
    double low = std::ceil(1e17 / std::pow(5.0, j));
    double high = std::min(1e18 / std::pow(5.0, j), 0x1p53);
    if (low < high) {
      double n = std::floor(low + Uniform() * (high - low));
      if (std::fmod(n, 2.0) == 0) n += 1;
      Compare(std::ldexp(n, -j));
    }
  }
  // The edges of the fast path: whole numbers near 10^(16 - d) and 2^53, powers of ten and two, and the
  // binary exponents where its 128-bit product is cut at 64 and 128 bits.
  for (int e = -30; e <= 30; ++e) CompareAround(std::pow(10.0, e), 40);
  for (int e = -1074; e <= 1023; ++e) CompareAround(std::ldexp(1.0, e), 2);
  for (int d = 0; d <= 6; ++d) CompareAround(1e16 / powers[d], 1000);
  CompareAround(0x1p53, 1000);
  for (int e : {-13, -12, -11, -10, -76, -75, -74}) {
    for (int i = 0; i < 2000; ++i) Compare(std::ldexp(1.0 + Uniform(), e));
  }
  EXPECT_EQ(mismatches_, 0) << "of " << compared_ << " values, each with 0 to 6 decimals";
  std::printf("compared %ld values with 0 to 6 decimals each\n", compared_);
}

// RoundCents reads the rounded value from the integer the text is made of instead of reading the text:
// the same double, negative zero included, for every value.
TEST_F(FastAndExactText, RoundCentsGivesTheDoubleOfTheText) {
  const long samples = Samples();
  long checked = 0;
  for (long i = 0; i < samples; ++i) {
    int d = static_cast<int>(random_() % 3);
    double k = static_cast<double>(random_() % 2000001) - 1000000.0;
    double values[] = {(k + 0.5) / (d == 2 ? 100.0 : 10.0), Uniform() * 240.0 - 120.0,
                       std::ldexp(Uniform(), -static_cast<int>(random_() % 30))};
    for (double value : values) {
      for (double near : {std::nextafter(value, -Largest), value, std::nextafter(value, Largest), -value}) {
        for (int format = 0; format < MidiFormatCount; ++format) {
          FormatFixedExact(near, CentsRange[format].decimals, exact_, sizeof exact_);
          double expected = 0;
          ASSERT_TRUE(ParseNumber(exact_, &expected));
          double rounded = RoundCents(near, format);
          ASSERT_TRUE(std::memcmp(&rounded, &expected, sizeof rounded) == 0)
              << std::hexfloat << near << " in format " << format << ": " << rounded << ", text " << exact_;
          ++checked;
        }
      }
    }
  }
  EXPECT_GT(checked, 0);
}

struct ParseRow {
  const char* text;
  bool ok;
  double value;
};

void PrintTo(const ParseRow& row, std::ostream* out) { *out << '"' << row.text << '"'; }

class ParseText : public testing::TestWithParam<ParseRow> {};

TEST_P(ParseText, ReadsLeadingNumber) {
  const ParseRow& row = GetParam();
  double value = -12345.0;
  ASSERT_EQ(ParseNumber(row.text, &value), row.ok);
  if (row.ok) {
    EXPECT_EQ(value, row.value);
    EXPECT_EQ(std::signbit(value), std::signbit(row.value));
  } else {
    EXPECT_EQ(value, -12345.0);  // untouched
  }
}

const double Infinity = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Rows, ParseText,
    testing::Values(ParseRow{"442", true, 442.0}, ParseRow{"   442", true, 442.0},
                    ParseRow{"\t\r\n\v\f442", true, 442.0}, ParseRow{"442abc", true, 442.0},
                    ParseRow{"442Hz", true, 442.0}, ParseRow{"1,5", true, 1.0}, ParseRow{"+7.5", true, 7.5},
                    ParseRow{"-7.5", true, -7.5}, ParseRow{"-0", true, -0.0}, ParseRow{".5", true, 0.5},
                    ParseRow{"5.", true, 5.0}, ParseRow{"0.1", true, 0.1}, ParseRow{"1E3", true, 1000.0},
                    ParseRow{"2.5e-1", true, 0.25}, ParseRow{"1e", true, 1.0}, ParseRow{"1e+", true, 1.0},
                    ParseRow{"1e-x", true, 1.0}, ParseRow{"0x1A", true, 0.0},
                    ParseRow{"3.14159265358979323846264338327950288", true, 3.141592653589793},
                    ParseRow{"4e-320", true, 4e-320},
                    // Out of the double range: an infinity or a zero, with the sign.
                    ParseRow{"1e999", true, Infinity}, ParseRow{"-1e999", true, -Infinity},
                    ParseRow{"1.7976931348623159e308", true, Infinity},
                    ParseRow{"1e99999999999999999999", true, Infinity}, ParseRow{"0.000001e-999", true, 0.0},
                    ParseRow{"-1e-999", true, -0.0}, ParseRow{"100000000000e-1000", true, 0.0},
                    // Nothing that begins with a number.
                    ParseRow{"", false, 0.0}, ParseRow{"   ", false, 0.0}, ParseRow{"abc", false, 0.0},
                    ParseRow{"inf", false, 0.0}, ParseRow{"nan", false, 0.0},
                    ParseRow{"-infinity", false, 0.0}, ParseRow{"NAN", false, 0.0}, ParseRow{".", false, 0.0},
                    ParseRow{"-", false, 0.0}, ParseRow{"+", false, 0.0}, ParseRow{"- 5", false, 0.0},
                    ParseRow{"e5", false, 0.0}, ParseRow{",5", false, 0.0}));

TEST(ParseText, NullTextFails) {
  double value = 1.0;
  EXPECT_FALSE(ParseNumber(nullptr, &value));
}

// ---------------------------------------------------------------------------------------------------------
// Conversions, clamping and rounding.

TEST(Conversion, CentsFromHertz) {
  EXPECT_EQ(CentsFromHertz(440.0), 0.0);
  EXPECT_EQ(CentsFromHertz(880.0), 1200.0);
  EXPECT_EQ(Fixed(CentsFromHertz(442.0), 6), "7.851415");
  EXPECT_EQ(CentsFromHertz(0.0), -Infinity);
  EXPECT_TRUE(std::isnan(CentsFromHertz(-1.0)));
  EXPECT_FALSE(IsFiniteNumber(CentsFromHertz(0.0)));
  EXPECT_FALSE(IsFiniteNumber(CentsFromHertz(-1.0)));
  EXPECT_TRUE(IsFiniteNumber(CentsFromHertz(442.0)));
}

TEST(Conversion, HertzFromCents) {
  EXPECT_EQ(HertzFromCents(0.0), 440.0);
  EXPECT_EQ(HertzFromCents(1200.0), 880.0);
  EXPECT_EQ(HertzFromCents(-1200.0), 220.0);
}

TEST(Conversion, SpinRangeHertzLiesJustOutsideCentsRange) {
  for (int format = 0; format < MidiFormatCount; ++format) {
    const CentsBounds& cents = CentsRange[format];
    const SpinBounds& spin = SpinRange[format];
    const double low = HertzFromCents(cents.minimum) * 10;
    const double high = HertzFromCents(std::round(cents.maximum * 10) / 10) * 10;
    EXPECT_LT(spin.hertzMinimum, low) << FormatName(format);
    EXPECT_GT(spin.hertzMinimum, low - 1) << FormatName(format);
    EXPECT_GT(spin.hertzMaximum, high) << FormatName(format);
    EXPECT_LT(spin.hertzMaximum, high + 1) << FormatName(format);
    EXPECT_EQ(spin.centsMinimum, static_cast<int>(std::round(cents.minimum * 10))) << FormatName(format);
    EXPECT_EQ(spin.centsMaximum, static_cast<int>(std::round(cents.maximum * 10))) << FormatName(format);
  }
}

TEST(Conversion, IsFiniteNumber) {
  EXPECT_TRUE(IsFiniteNumber(0.0));
  EXPECT_TRUE(IsFiniteNumber(Largest));
  EXPECT_FALSE(IsFiniteNumber(Infinity));
  EXPECT_FALSE(IsFiniteNumber(-Infinity));
  EXPECT_FALSE(IsFiniteNumber(std::numeric_limits<double>::quiet_NaN()));
}

struct CentsRow {
  double cents;
  int format;
  double clamped;
};

void PrintTo(const CentsRow& row, std::ostream* out) {
  *out << std::hexfloat << row.cents << " " << FormatName(row.format);
}

class Clamp : public testing::TestWithParam<CentsRow> {};

TEST_P(Clamp, LimitsToFormatRange) {
  EXPECT_EQ(ClampCents(GetParam().cents, GetParam().format), GetParam().clamped);
}

INSTANTIATE_TEST_SUITE_P(Rows, Clamp,
                         testing::Values(CentsRow{150, GS, 100.0}, CentsRow{-150, GS, -100.0},
                                         CentsRow{-150, XG, -102.4}, CentsRow{150, XG, 102.3},
                                         CentsRow{102.3, XG, 102.3}, CentsRow{-102.4, XG, -102.4},
                                         CentsRow{100, GM2, 99.99}, CentsRow{-100, GM2, -100.0},
                                         CentsRow{100.0, GS, 100.0}, CentsRow{7.851415, GM2, 7.851415},
                                         CentsRow{-Infinity, GS, -100.0}, CentsRow{Infinity, XG, 102.3}));

class Round : public testing::TestWithParam<CentsRow> {};

TEST_P(Round, RoundsToFormatResolution) {
  const double rounded = RoundCents(GetParam().cents, GetParam().format);
  EXPECT_EQ(rounded, GetParam().clamped);
  EXPECT_EQ(std::signbit(rounded), std::signbit(GetParam().clamped));
}

INSTANTIATE_TEST_SUITE_P(Rows, Round,
                         testing::Values(CentsRow{7.851415, GS, 7.9}, CentsRow{7.851415, XG, 7.9},
                                         CentsRow{7.851415, GM2, 7.85}, CentsRow{12.35, GS, 12.4},
                                         CentsRow{12.25, XG, 12.3}, CentsRow{-12.25, GS, -12.3},
                                         CentsRow{0.125, GM2, 0.13}, CentsRow{0.15, GS, 0.1},
                                         CentsRow{99.99, GM2, 99.99}, CentsRow{-102.4, XG, -102.4},
                                         CentsRow{-0.04, GS, -0.0}, CentsRow{0.004, GM2, 0.0},
                                         CentsRow{99.96, GS, 100.0}));

// ---------------------------------------------------------------------------------------------------------
// The keystroke path works in fixed buffers only.

TEST(Keystroke, AllocatesNothing) {
  const char* texts[] = {
      "",        "442",      "  441.5Hz",
      "abc",     "-0.04",    "12.35",
      "1e999",   "0x1A",     "-100",
      "1000000", "0.000001", "123456789012345678901234567890123456789012345678901234567890123456789"};
  // Warm up first: a C runtime may set up its own state on the first use of a function.
  ASSERT_TRUE(BuildTuneMessage(FromHertz, "442", GS));
  AllocationCount = 0;
  CountAllocations = true;
  int built = 0;
  for (int round = 0; round < 50; ++round) {
    for (const char* text : texts) {
      for (int format = 0; format < MidiFormatCount; ++format) {
        for (TuneSource source : {FromHertz, FromCents}) {
          built += BuildTuneMessage(source, text, format);
          FormatTuneHex(TuneMessage.bytes, TuneMessage.length, TuneHexText, sizeof TuneHexText);
        }
      }
    }
  }
  CountAllocations = false;
  EXPECT_EQ(AllocationCount, 0);
  EXPECT_EQ(built, 50 * 12 * MidiFormatCount * 2);
  // The counter does count: a real allocation is seen.
  CountAllocations = true;
  std::vector<int>* probe = new std::vector<int>(10);
  CountAllocations = false;
  delete probe;
  EXPECT_GE(AllocationCount, 1);
}

}  // namespace
