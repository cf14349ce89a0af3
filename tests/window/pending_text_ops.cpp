// TEMPORARY: the five text and file operations the window code calls,
// only until the real services/text_ops.cpp and services/files.cpp land
// on main. CMake compiles this file only while text_ops.cpp is missing.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "services/files.h"
#include "services/text_ops.h"

std::int32_t TextLength(const Text& text) { return text.Length(); }
Text RightPart(const Text& text, std::int32_t count) {
  if (count <= 0) return Text();
  if (count >= text.Length()) return text;
  return Text(text.CStr() + text.Length() - count);
}
double ToReal(const Text& text) { return std::atof(text.CStr()); }
std::uint32_t MakeRgb(std::int32_t red, std::int32_t green, std::int32_t blue) {
  return RGB(red, green, blue);
}

Text RunDirectory() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path);
  return Text(folder.substr(0, folder.find_last_of('\\')));
}
