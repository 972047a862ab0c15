// Bytes written as hexadecimal text in the core tests: "4D 54 68 64" -> the bytes; "|" may separate events
// for the reader of the test.
#ifndef SONOREL_TESTS_CORE_HEX_BYTES_H
#define SONOREL_TESTS_CORE_HEX_BYTES_H

#include <sstream>
#include <string>
#include <vector>

typedef std::vector<unsigned char> Bytes;

inline Bytes Hex(const std::string& text) {
  Bytes bytes;
  std::istringstream in(text);
  std::string item;
  while (in >> item) {
    if (item != "|") bytes.push_back(static_cast<unsigned char>(std::stoul(item, nullptr, 16)));
  }
  return bytes;
}

#endif
