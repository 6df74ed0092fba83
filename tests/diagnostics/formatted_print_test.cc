// nlfifpf against texts worked out by hand from the conversion rules, and the pieces it writes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "kelnl/nlerrors.h"
#include "kelnl/nlfi.h"
#include "tests/diagnostics/stream_test_support.h"

namespace kelnl::testing {
namespace {

// A standard-output stream whose writes land here instead of on the terminal.
struct Capture {
  std::string text;
  std::vector<std::uint32_t> pieces;
  bool fail = false;
};
Capture* current_capture = nullptr;

std::int32_t DoNothing(NlPrimaryErrorRecord*, NlDiagStream*) { return 0; }

std::int32_t CaptureWrite(NlPrimaryErrorRecord* errors, NlDiagStream*, const void* buffer, std::uint32_t length) {
  current_capture->pieces.push_back(length);
  current_capture->text.append(static_cast<const char*>(buffer), length);
  return current_capture->fail ? nlepepe(errors, 1, NLE_STDOUT_WRITE_FAILED, 2) : 0;
}

class FormattedPrint : public ::testing::Test {
 protected:
  void SetUp() override {
    stream_ = NewStream(NLDS_KIND_STANDARD_OUTPUT);
    stream_->op_open = DoNothing;
    stream_->op_close = DoNothing;
    stream_->op_flush = DoNothing;
    stream_->op_write = CaptureWrite;
    current_capture = &capture_;
  }
  void TearDown() override { Destroy(stream_); }

  template <typename... Args>
  std::string Format(const char* format, Args... args) {
    capture_ = Capture{};
    const std::int32_t produced = nlfifpf(nullptr, &errors_, stream_, format, args...);
    EXPECT_EQ(produced, static_cast<std::int32_t>(capture_.text.size())) << format;
    return capture_.text;
  }

  NlDiagStream* stream_ = nullptr;
  NlPrimaryErrorRecord errors_{};
  Capture capture_;
};

TEST_F(FormattedPrint, IntegerFlagsWidthAndPrecision) {
  EXPECT_EQ(Format("%5d|%-5d|%05d", 42, 42, -42), "   42|42   |-0042");
  EXPECT_EQ(Format("%+d %+d % d %+ d", 7, -7, 7, 7), "+7 -7  7 +7");
  EXPECT_EQ(Format("%-05d|%0-5d|", 42, 42), "42   |42   |") << "0 loses against -";
  EXPECT_EQ(Format("%.3d|%08.3d|%+.3d", 7, 7, -7), "007|     007|-007") << "a precision pads with blanks";
  EXPECT_EQ(Format("%*d|%*d|%.*d", 5, 42, -5, 42, 3, 7), "   42|42|007") << "a negative width only drops padding";
  EXPECT_EQ(Format("%d %i %.0d", INT32_MIN, 0, 0), "-2147483648 0 0");
  EXPECT_EQ(Format("%u %+u % u", -1, 5, 5), "4294967295 5 5") << "sign flags are ignored";
  EXPECT_EQ(Format("%hd %hd %hu %hx", 70000, 40000, -1, 0x12345), "4464 -25536 65535 2345");
  EXPECT_EQ(Format("%lld", 5), "ld") << "one length letter; the second is the conversion";
}

TEST_F(FormattedPrint, RadixConversions) {
  EXPECT_EQ(Format("%#x %X %#X %#o %o", 255, 255, 255, 8, 8), "0xff FF 0XFF 010 10");
  EXPECT_EQ(Format("%#x %#o %#.3o", 0, 0, 8), "0 0 010");
  EXPECT_EQ(Format("%#08x|%#8x|%-#8x|", 255, 255, 255), "0x0000ff|    0xff|0xff    |");
  EXPECT_EQ(Format("%p %#p %6p", reinterpret_cast<void*>(0xabc), reinterpret_cast<void*>(0xabc),
                   reinterpret_cast<void*>(0xabc)),
            "ABC 0pABC    ABC");
}

TEST_F(FormattedPrint, CharactersStringsAndOthers) {
  EXPECT_EQ(Format("%c|%3c|%-3c|%3c|", 'A', 'A', 'A', 0), "A|  A|A  |   |");
  const char* null_text = nullptr;
  EXPECT_EQ(Format("%s|%.2s|%5s|%-5s|", null_text, "abc", "ab", "ab"), "(null)|ab|   ab|ab   |");
  EXPECT_EQ(Format("%.*s|%.s|", 2, "abc", "abc"), "ab||");
  const std::string forty(40, 'x');
  EXPECT_EQ(Format("%.40s", forty.c_str()), std::string(32, 'x')) << "precisions stop at 32";
  EXPECT_EQ(Format("100%% %k %5% ok"), "100% k     % ok");
  EXPECT_EQ(Format("abc%-08"), "abc") << "a format ending inside a conversion ends there";
  std::int32_t count = -1;
  EXPECT_EQ(Format("abc%nde", &count), "abcde");
  EXPECT_EQ(count, 3);
}

TEST_F(FormattedPrint, ExponentialAndFixed) {
  EXPECT_EQ(Format("%e|%E", 150000.0, 150000.0), "1.500000e+005|1.500000E+005");
  EXPECT_EQ(Format("%.2e|%.0e|%#.0e", 12345.0, 3.0, 3.0), "1.23e+004|3e+000|3.e+000");
  EXPECT_EQ(Format("%e|%e", 0.0, -1.5e-10), "0.000000e+000|-1.500000e-010");
  EXPECT_EQ(Format("%e|%e", 1e300, 1e-300), "1.000000e+300|1.000000e-300");
  EXPECT_EQ(Format("%f|%.0f|%#.0f|%f", 3.14159, 3.7, 3.0, 0.5), "3.141590|4|3.|0.500000");
  EXPECT_EQ(Format("%.40f", 0.1), "0.10000000000000000555111512312578") << "32 decimals at most";
  EXPECT_EQ(Format("%010.2f|%+f|% f|%-8.1f|", -3.14159, 1.0, 1.0, 2.26), "-000003.14|+1.000000| 1.000000|2.3     |");
  EXPECT_EQ(Format("%f|%E|%5f", INFINITY, -INFINITY, NAN), "inf|-INF|  nan");
  EXPECT_EQ(Format("%.0f", 1e20), "100000000000000000000");
}

TEST_F(FormattedPrint, GeneralForm) {
  EXPECT_EQ(Format("%g|%g", 0.00001, 0.000001), "0.00001|1e-006");
  EXPECT_EQ(Format("%g|%g", 99999.0, 100000.0), "99999|1e+005");
  EXPECT_EQ(Format("%g|%g|%g", 1.23456789, 0.0001, 0.0), "1.234568|0.0001|0");
  EXPECT_EQ(Format("%g|%G", 123456789.0, 1e-10), "1.23457e+008|1E-010");
  EXPECT_EQ(Format("%#g|%#g", 1.0, 1e6), "1.000000|1.00000e+006") << "# keeps the zeros";
  EXPECT_EQ(Format("%.0g|%.2g|%g", 123.0, 0.5, -2.5), "1e+002|0.5|-2.5");
  // The fixed form keeps precision decimals, not precision significant digits.
  EXPECT_EQ(Format("%g", 0.0000123), "0.000012");
}

TEST_F(FormattedPrint, LongOutputGoesOutIn255CharacterPiecesEvenWhenTheyFail) {
  const std::string long_text(600, 'y');
  EXPECT_EQ(Format("%s", long_text.c_str()), long_text);
  EXPECT_EQ(capture_.pieces, (std::vector<std::uint32_t>{255, 255, 90}));
  EXPECT_EQ(Format("%700d", 1), std::string(699, ' ') + "1");
  EXPECT_EQ(capture_.pieces, (std::vector<std::uint32_t>{255, 255, 190}));

  // Failed writes do not stop the count.
  capture_ = Capture{};
  capture_.fail = true;
  EXPECT_EQ(nlfifpf(nullptr, &errors_, stream_, "%s!", long_text.c_str()), 601);
  EXPECT_EQ(capture_.pieces.size(), 3u) << "the later pieces are still written";
  EXPECT_EQ(errors_.errors[0].error, static_cast<std::uint32_t>(NLE_STDOUT_WRITE_FAILED));
}

}  // namespace
}  // namespace kelnl::testing
