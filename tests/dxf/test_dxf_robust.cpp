// Malformed input: every prefix of a small valid text and binary file, and random byte flips with a
// fixed seed, must end in a clean exception or the normal end of data, never a crash or over-read
// (each input sits in a heap block of its exact size, so ASan sees any read beyond it).
#include "readers/dxf/DXF.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>

using namespace vx;

namespace {

const std::string kText =
    "999\ncomment\n0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n9\n$DWGCODEPAGE\n3\nANSI_1252\n"
    "0\nENDSEC\n0\nSECTION\n2\nENTITIES\n0\nLINE\n5\n2F\n330\n1F\n100\nAcDbEntity\n8\n0\n"
    "100\nAcDbLine\n10\n1.5\n20\n-2.25e+1\n30\n0\n11\n1,5\n21\n1.#QNAN0\n31\n0\n62\n7\n"
    "0\nTEXT\n8\nText \\U+00E9\\M+18140\n1\n\x80 caf\xE9\n40\n2.5\n70\n  3  \n1071\n99999999999\n"
    "160\n123456789012\n0\nENDSEC\n0\nEOF\n";

std::string BinaryFile() {
  std::string b(cnstDXFBinarySignature, cnstDXFBinarySignatureSize);
  auto code = [&b](int c) {
    b += static_cast<char>(c & 0xFF);
    b += static_cast<char>(c >> 8);
  };
  auto str = [&](int c, const char* s) {
    code(c);
    b.append(s, std::strlen(s) + 1);
  };
  auto num = [&](int c, uint64_t v, int n) {
    code(c);
    for (int i = 0; i < n; ++i) b += static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  str(0, "SECTION");
  str(2, "ENTITIES");
  str(0, "LINE");
  str(5, "2F");
  num(10, 0x3FF8000000000000ull, 8);  // 1.5
  num(70, 0xFFFE, 2);
  num(90, 100000, 4);
  num(160, 1ull << 40, 8);
  num(290, 1, 1);
  code(310);
  b += "\x03\x01\x02\x03";
  str(1000, "xdata");
  num(1071, 5, 4);
  str(0, "ENDSEC");
  str(0, "EOF");
  return b;
}

// Reads every pair with every accessor; returns normally at the end of data or by exception.
void ReadAll(const std::string& bytes) {
  std::unique_ptr<uint8_t[]> data(new uint8_t[bytes.size() ? bytes.size() : 1]);
  std::memcpy(data.get(), bytes.data(), bytes.size());
  std::unique_ptr<TdxfReader> r = CreateDXFTokenReader(data.get(), bytes.size());
  size_t steps = 0;
  try {
    while (!r->AtEndPair()) {
      r->Next();
      ASSERT_LE(++steps, bytes.size() + 2) << "the tokenizer does not advance";
      ASSERT_LE(r->Position(), r->Size());
      r->Value();
      r->StrValue();
      r->UValue();
      r->IntValue();
      r->Int64Value();
      r->FloatValue();
      r->HandleValue();
      r->Eof();
    }
  } catch (const EdxfReadError&) {
    // a clean, reported failure
  }
}

}  // namespace

TEST(DXFRobustness, EveryPrefixOfATextFile) {
  for (size_t n = 0; n <= kText.size(); ++n) ReadAll(kText.substr(0, n));
}

TEST(DXFRobustness, EveryPrefixOfABinaryFile) {
  const std::string bin = BinaryFile();
  for (size_t n = 0; n <= bin.size(); ++n) ReadAll(bin.substr(0, n));
  // the same data read as a 1-byte-code file
  std::string oneByte = bin;
  for (size_t n = cnstDXFBinarySignatureSize; n <= bin.size(); ++n) {
    std::string s = bin.substr(0, n);
    std::unique_ptr<uint8_t[]> data(new uint8_t[s.size() + 1]);
    std::memcpy(data.get(), s.data(), s.size());
    TdxfBinReader r(data.get() + 22, s.size() - 22, 1);
    try {
      for (size_t i = 0; i <= s.size() && !r.AtEndPair(); ++i) {
        r.Next();
        r.UValue();
      }
    } catch (const EdxfReadError&) {
    }
    EXPECT_TRUE(r.AtEndPair() || r.Position() <= r.Size());
  }
}

TEST(DXFRobustness, RandomByteFlips) {
  std::mt19937 rng(20240607);
  const std::string bin = BinaryFile();
  for (const std::string* base : {&kText, &bin}) {
    std::uniform_int_distribution<size_t> pos(0, base->size() - 1);
    std::uniform_int_distribution<int> byte(0, 255), count(1, 4);
    for (int round = 0; round < 3000; ++round) {
      std::string s = *base;
      for (int k = count(rng); k > 0; --k) {
        size_t p = pos(rng);
        if (base == &bin && p < cnstDXFBinarySignatureSize) p += cnstDXFBinarySignatureSize;  // keep it binary
        if (p < s.size()) s[p] = static_cast<char>(byte(rng));
      }
      ReadAll(s);
    }
  }
}

TEST(DXFRobustness, HostileLines) {
  // long digit runs, blanks without end, NUL bytes, a byte-order mark and lone CRs
  for (const std::string& s : {std::string(100000, '9') + "\n" + std::string(100000, '7') + "\n",
                               "10\n" + std::string(5000, '1') + "." + std::string(5000, '2') + "e" +
                                   std::string(50, '9') + "\n",
                               std::string(10000, ' '), std::string("1\nab\0cd\n0\nEOF", 14),
                               std::string("\xEF\xBB\xBF" "0\nSECTION\n"), std::string(1000, '\r'),
                               std::string(1000, '\n')}) {
    ReadAll(s);
  }
}
