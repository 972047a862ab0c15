#include "ui/strings.h"

#include <cstring>
#include <vector>

#include "ui/language.h"

int(WINAPI* CopyResString)(HINSTANCE, UINT, LPSTR, int) = LoadLanguageString;

bool LoadResString(std::string& text, UINT id, HINSTANCE module) {
  int capacity = 0;
  for (;;) {
    capacity += 256;
    std::vector<char> buffer(capacity);
    int count = CopyResString(module, id, buffer.data(), capacity);
    if (count == 0) buffer[0] = '\0';
    // A margin of 2 or less may mean a cut text, possibly with a double-byte character dropped at the cut.
    if (capacity - count > 2) {
      text.assign(buffer.data());
      return count > 0;
    }
  }
}

bool LoadFilterString(UINT id, ByteBuffer& filter, HINSTANCE module) {
  std::string text;
  if (!LoadResString(text, id, module)) return false;
  const std::uint32_t length = static_cast<std::uint32_t>(text.size());
  filter.Resize(length + 1);
  std::memcpy(filter.Data(), text.c_str(), length + 1);
  // A line feed never occurs inside a double-byte character, so bytes can be replaced one by one.
  for (std::uint32_t i = 0; i < length; ++i) {
    if (filter.Data()[i] == '\n') filter.Data()[i] = '\0';
  }
  return true;
}
