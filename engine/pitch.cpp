#include "engine/pitch.h"

#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

// 32-bit x86 compilers default to x87 arithmetic, which keeps products in extended precision and would
// truncate c x 10 = 2.99999... for 0.3 cents to 2. Every product here must be rounded to double when formed.
#if defined(__GNUC__) && !defined(__clang__) && defined(__i386__) && !defined(__SSE2_MATH__)
#pragma GCC target("sse2", "fpmath=sse")
#endif

const CentsBounds CentsRange[MidiFormatCount] = {
    {-100.0, 100.0, 1},  // GS
    {-102.4, 102.3, 1},  // XG
    {-100.0, 99.99, 2},  // GM2
};

const SpinBounds SpinRange[MidiFormatCount] = {
    {-1000, 1000, 4153, 4662},  // GS
    {-1024, 1023, 4147, 4668},  // XG
    {-1000, 1000, 4153, 4662},  // GM2: the control reaches 100.0; the commit clamps to 99.99
};

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool ParseNumber(const char* text, double* value) {
  if (text == nullptr) return false;
  const char* p = text;
  while (IsBlank(*p)) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = *p == '-';
    ++p;
  }

  // Scan the syntax first so that the conversion sees exactly the number and nothing it could read
  // differently.
  const char* start = p;
  int digits = 0;
  for (; IsDigit(*p); ++p) ++digits;
  if (*p == '.') {
    for (++p; IsDigit(*p); ++p) ++digits;
  }
  if (digits == 0) return false;
  if (*p == 'e' || *p == 'E') {
    const char* q = p + 1;
    if (*q == '+' || *q == '-') ++q;
    if (IsDigit(*q)) {  // "1e" and "1e+" end before the "e", as strtod does
      while (IsDigit(*q)) ++q;
      p = q;
    }
  }

  // strtod converts exactly what was scanned (a copy, so that it cannot read "0x1A" as hexadecimal),
  // rounding correctly in the C libraries the programs use (glibc, MinGW-w64's own strtod). It is much
  // smaller than the C++ library's from_chars. Its decimal point is the C locale's, which the programs never
  // change; the copy spells it as the current locale does all the same.
  const std::size_t length = static_cast<std::size_t>(p - start);
  char local[128];
  std::string large;
  char* copy = local;
  if (length >= sizeof local) {
    large.assign(start, length);
    copy = &large[0];
  } else {
    std::memcpy(local, start, length);
    local[length] = '\0';
  }
  const char point = *std::localeconv()->decimal_point;
  for (std::size_t i = 0; i < length; ++i) {
    if (copy[i] == '.') copy[i] = point;
  }
  // Out of range gives an infinity (too large) or the nearest subnormal or zero (too small), as wanted.
  double magnitude = std::strtod(copy, nullptr);
  *value = negative ? -magnitude : magnitude;
  return true;
}

bool IsFiniteNumber(double value) { return std::isfinite(value); }

double CentsFromHertz(double hertz) {
  const double inverseReference = 0.0022727272727272726;  // the double nearest 1/440
  return std::log(hertz * inverseReference) * 1200.0 / std::log(2.0);
}

double HertzFromCents(double cents) {
  const double inverseOctave = 0.0008333333333333334;  // the double nearest 1/1200
  return std::pow(2.0, cents * inverseOctave) * 440.0;
}

double ClampCents(double cents, int format) {
  if (format < 0 || format >= MidiFormatCount) return cents;
  if (cents < CentsRange[format].minimum) return CentsRange[format].minimum;
  if (cents > CentsRange[format].maximum) return CentsRange[format].maximum;
  return cents;
}

namespace {

// An unsigned integer in base 10^9, least significant limb first, big enough for m x 5^1074 (767 digits),
// the largest integer the exact expansion of a double needs.
struct Decimal {
  static const int MaxLimbs = 88;
  std::uint32_t limbs[MaxLimbs];
  int count;
};

const std::uint32_t LimbBase = 1000000000u;

void MultiplySmall(Decimal& number, std::uint32_t factor) {
  std::uint64_t carry = 0;
  for (int i = 0; i < number.count; ++i) {
    std::uint64_t product = std::uint64_t{number.limbs[i]} * factor + carry;
    number.limbs[i] = static_cast<std::uint32_t>(product % LimbBase);
    carry = product / LimbBase;
  }
  while (carry != 0) {
    number.limbs[number.count++] = static_cast<std::uint32_t>(carry % LimbBase);
    carry /= LimbBase;
  }
}

int DigitCount(std::uint32_t limb) {
  int count = 1;
  while (limb >= 10) {
    limb /= 10;
    ++count;
  }
  return count;
}

// Writes the first `wanted` decimal digits of number (zeros past its end) and returns its digit count.
int LeadingDigits(const Decimal& number, char* digits, int wanted) {
  int top = number.count - 1;
  int topDigits = DigitCount(number.limbs[top]);
  int written = 0;
  for (int i = top; i >= 0 && written < wanted; --i) {
    int width = i == top ? topDigits : 9;
    char limbText[9];
    std::uint32_t limb = number.limbs[i];
    for (int k = width - 1; k >= 0; --k) {
      limbText[k] = static_cast<char>(limb % 10);
      limb /= 10;
    }
    for (int k = 0; k < width && written < wanted; ++k) digits[written++] = limbText[k];
  }
  while (written < wanted) digits[written++] = 0;
  return topDigits + 9 * top;
}

// Appends to a caller's buffer, dropping what does not fit and always leaving room for the terminator.
struct TextSink {
  char* out;
  std::size_t size;
  std::size_t length;
  void Put(char c) {
    if (length + 1 < size) out[length++] = c;
  }
  void Put(const char* text) {
    while (*text) Put(*text++);
  }
  std::size_t Finish() {
    if (size > 0) out[length] = '\0';
    return length;
  }
};

// Adds one unit in the last of count digits; a carry out of the first (or into an empty digit list,
// 0.05 -> 0.1) makes a new leading 1 one place higher.
void RoundUpLast(char* digits, int* count, int* exponent) {
  int i = *count - 1;
  while (i >= 0 && digits[i] == 9) digits[i--] = 0;
  if (i >= 0) {
    ++digits[i];
    return;
  }
  digits[0] = 1;
  if (*count == 0) *count = 1;
  ++*exponent;
}

const int SignificantDigits = 17;

// ---- The fast path: the same text from 64-bit integer arithmetic ----
//
// Let x = |value| and N = x * 10^d, I = floor(N), f = N - I. When I has at most 16 digits, the 17-digit
// form of x keeps s = 17 - digits(I) decimals of N (s = 17 for I = 0), and its rounding to d decimals
// rounds N up exactly when f rounded half up to s decimals is at least one half, that is when
// f >= T = 1/2 - 1/2 x 10^-s. f is a binary fraction and T is not (its denominator holds 5^s), so f never
// equals T: comparing the first 64 bits of f with those of T decides. f has more than 64 bits only below
// 2^-12; there an equal pair of 64-bit prefixes (a chance of 2^-64) is left to the exact expansion.

struct PowerTable {
  std::uint64_t value[18];
  constexpr PowerTable() : value() {
    std::uint64_t power = 1;
    for (int i = 0; i < 18; ++i, power *= 10) value[i] = power;
  }
};
constexpr PowerTable Powers;
const std::uint64_t* const PowersOfTen = Powers.value;

// floor(T x 2^64) for s = 1 to 17: 2^63 - ceil(2^63 / 10^s), and 2^63 / 10^s is never a whole number.
struct HalfThresholds {
  std::uint64_t bits[18];
  constexpr HalfThresholds() : bits() {
    for (int s = 1; s < 18; ++s)
      bits[s] = (std::uint64_t{1} << 63) - (std::uint64_t{1} << 63) / Powers.value[s] - 1;
  }
};
constexpr HalfThresholds HalfThreshold;

// The number of decimal digits of a number below 10^17, 0 for 0: log10 estimated from the bit length
// (1233 / 4096 is just above log10(2)), then corrected by one comparison.
// The magnitude of a finite double as mantissa x 2^exponent, the mantissa a whole number below 2^53.
void SplitDouble(double value, std::uint64_t* mantissa, int* exponent) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  *mantissa = bits & ((std::uint64_t{1} << 52) - 1);
  *exponent = static_cast<int>((bits >> 52) & 0x7FF);
  if (*exponent == 0) {
    *exponent = -1074;  // subnormal
  } else {
    *mantissa |= std::uint64_t{1} << 52;
    *exponent -= 1075;
  }
}

int DecimalLength(std::uint64_t number) {
  if (number == 0) return 0;
  int bits = 64 - __builtin_clzll(number);
  int estimate = (bits * 1233) >> 12;
  return estimate + (number >= PowersOfTen[estimate] ? 1 : 0);
}

// N rounded as the two-step rule rounds it, in units of 10^-decimals; false when only the exact expansion
// can tell (magnitudes from 10^(16 - decimals) up, and the 2^-64 ambiguity above).
bool RoundedFast(double magnitude, int decimals, std::uint64_t* rounded) {
  std::uint64_t mantissa;
  int binaryExponent;
  SplitDouble(magnitude, &mantissa, &binaryExponent);
  const std::uint64_t scale = PowersOfTen[decimals];

  if (binaryExponent >= 0) {  // a whole number: exact at 17 digits while it has at most 16
    if (binaryExponent > 10) return false;
    std::uint64_t whole = mantissa << binaryExponent;
    if (whole >= PowersOfTen[16] / scale) return false;
    *rounded = whole * scale;
    return true;
  }
  const int shift = -binaryExponent;
  if (shift >= 128) {  // x < 2^-75: N is far below one half
    *rounded = 0;
    return true;
  }

  // Q = mantissa x 10^d < 2^73 as high and low 64-bit words; N = Q / 2^shift.
  std::uint64_t highProduct = (mantissa >> 32) * scale;         // < 2^41
  std::uint64_t lowProduct = (mantissa & 0xFFFFFFFFu) * scale;  // < 2^52
  std::uint64_t low = lowProduct + (highProduct << 32);
  std::uint64_t high = (highProduct >> 32) + (low < lowProduct ? 1 : 0);

  std::uint64_t whole;     // I
  std::uint64_t fraction;  // the first 64 bits of f
  bool fractionExact;      // f has no further bits
  if (shift < 64) {
    if ((high >> shift) != 0) return false;
    whole = (low >> shift) | (high << (64 - shift));
    fraction = low << (64 - shift);
    fractionExact = true;
  } else if (shift == 64) {
    whole = high;
    fraction = low;
    fractionExact = true;
  } else {
    int over = shift - 64;  // 1 to 63
    whole = high >> over;
    fraction = (high << (64 - over)) | (low >> over);
    fractionExact = (low << (64 - over)) == 0;
  }
  if (whole >= PowersOfTen[16]) return false;

  const std::uint64_t threshold = HalfThreshold.bits[17 - DecimalLength(whole)];
  if (fraction == threshold && !fractionExact) return false;
  *rounded = whole + (fraction > threshold ? 1 : 0);
  return true;
}

// Writes value in decimal, padded with zeros to at least `width` digits (0 and width 0: nothing), ending
// just before end; returns where the digits begin. Two digits per division.
char* PutDigits(char* end, std::uint32_t value, int width) {
  static const char pairs[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
      "8081828384858687888990919293949596979899";
  char* p = end;
  while (value >= 100) {
    unsigned pair = value % 100;
    value /= 100;
    p -= 2;
    p[0] = pairs[2 * pair];
    p[1] = pairs[2 * pair + 1];
  }
  if (value >= 10) {
    p -= 2;
    p[0] = pairs[2 * value];
    p[1] = pairs[2 * value + 1];
  } else if (value > 0) {
    *--p = static_cast<char>('0' + value);
  }
  while (end - p < width) *--p = '0';
  return p;
}

}  // namespace

std::size_t FormatFixedExact(double value, int decimals, char* out, std::size_t size) {
  TextSink sink = {out, out == nullptr ? 0 : size, 0};
  if (decimals < 0) decimals = 0;
  if (decimals > 6) decimals = 6;

  if (std::isnan(value)) {
    sink.Put("nan");
    return sink.Finish();
  }
  if (std::isinf(value)) {
    sink.Put(value < 0 ? "-inf" : "inf");
    return sink.Finish();
  }

  // digits[i] is the decimal digit of place 10^(exponent - i); count of them are significant.
  char digits[SignificantDigits + 1];
  int count = 0;
  int exponent = 0;
  if (value != 0.0) {
    std::uint64_t mantissa;
    int binaryExponent;
    SplitDouble(value, &mantissa, &binaryExponent);
    while ((mantissa & 1) == 0) {  // fewer limbs to multiply
      mantissa >>= 1;
      ++binaryExponent;
    }

    // |value| = mantissa x 2^binaryExponent exactly; as an integer over a power of ten that is
    // mantissa x 2^b, or mantissa x 5^-b / 10^-b for negative b.
    Decimal number;
    number.count = 0;
    do {
      number.limbs[number.count++] = static_cast<std::uint32_t>(mantissa % LimbBase);
      mantissa /= LimbBase;
    } while (mantissa != 0);
    int shift = 0;
    if (binaryExponent > 0) {
      for (int left = binaryExponent; left > 0; left -= 29)
        MultiplySmall(number, 1u << (left < 29 ? left : 29));
    } else if (binaryExponent < 0) {
      shift = -binaryExponent;
      const std::uint32_t powersOfFive[14] = {
          1, 5, 25, 125, 625, 3125, 15625, 78125, 390625, 1953125, 9765625, 48828125, 244140625, 1220703125};
      for (int left = shift; left > 0; left -= 13) MultiplySmall(number, powersOfFive[left < 13 ? left : 13]);
    }

    // The first 18 digits of the exact value decide its rounding to 17, halves upward.
    exponent = LeadingDigits(number, digits, SignificantDigits + 1) - 1 - shift;
    count = SignificantDigits;
    if (digits[SignificantDigits] >= 5) RoundUpLast(digits, &count, &exponent);

    // Then those 17 digits, not the exact value, to `decimals` decimals, halves away from zero. The last
    // kept digit is the one of place 10^-decimals.
    int last = exponent + decimals;
    if (last < count - 1) {
      bool up = last >= -1 && digits[last + 1] >= 5;
      count = last >= 0 ? last + 1 : 0;
      if (up) RoundUpLast(digits, &count, &exponent);
    }
  }

  if (value < 0.0) sink.Put('-');
  if (exponent < 0 || count == 0) {
    sink.Put('0');
  } else {
    for (int i = 0; i <= exponent; ++i) sink.Put(static_cast<char>('0' + (i < count ? digits[i] : 0)));
  }
  if (decimals > 0) {
    sink.Put('.');
    for (int place = 1; place <= decimals; ++place) {
      int i = exponent + place;
      sink.Put(static_cast<char>('0' + (i >= 0 && i < count ? digits[i] : 0)));
    }
  }
  return sink.Finish();
}

std::size_t FormatFixed(double value, int decimals, char* out, std::size_t size) {
  if (decimals < 0) decimals = 0;
  if (decimals > 6) decimals = 6;
  std::uint64_t rounded = 0;
  if (!IsFiniteNumber(value) || !RoundedFast(std::fabs(value), decimals, &rounded))
    return FormatFixedExact(value, decimals, out, size);

  // Built right to left: the decimals, ".", the whole part (at least "0"), the sign.
  char text[32];
  char* start = text + sizeof text;
  const std::uint64_t scale = PowersOfTen[decimals];
  start = PutDigits(start, static_cast<std::uint32_t>(rounded % scale), decimals);
  if (decimals > 0) *--start = '.';
  std::uint64_t whole = rounded / scale;
  start = PutDigits(start, static_cast<std::uint32_t>(whole % 100000000), whole >= 100000000 ? 8 : 1);
  if (whole >= 100000000) start = PutDigits(start, static_cast<std::uint32_t>(whole / 100000000), 1);
  if (value < 0.0) *--start = '-';

  // As much as fits, like the exact routine's sink.
  std::size_t length = static_cast<std::size_t>(text + sizeof text - start);
  if (out == nullptr || size == 0) return 0;
  if (length > size - 1) length = size - 1;
  std::memcpy(out, start, length);
  out[length] = '\0';
  return length;
}

double RoundCents(double cents, int format) {
  if (format < 0 || format >= MidiFormatCount) return cents;
  const int decimals = CentsRange[format].decimals;
  // The double nearest the text FormatFixed writes: that text is rounded / 10^decimals, and dividing two
  // exactly held whole numbers (below 2^53) rounds the quotient correctly, as reading the text does.
  std::uint64_t rounded = 0;
  if (IsFiniteNumber(cents) && RoundedFast(std::fabs(cents), decimals, &rounded) &&
      rounded < (std::uint64_t{1} << 53)) {
    double magnitude = static_cast<double>(rounded) / static_cast<double>(PowersOfTen[decimals]);
    return cents < 0.0 ? -magnitude : magnitude;  // "-0.0" reads as a negative zero
  }
  char text[FixedTextSize];
  FormatFixed(cents, decimals, text, sizeof text);
  double readBack = cents;
  return ParseNumber(text, &readBack) ? readBack : cents;
}
