// The one rectangle type of the drawing code and the editor.
#pragma once

#include <algorithm>
#include <cstdint>

namespace graphics {

// Pixels from a bitmap's or the panel's top-left corner; left and top
// inclusive, right and bottom exclusive.
struct Rect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  // All zero is the empty rectangle; one with no width or height covers
  // nothing either, and is treated alike.
  bool IsEmpty() const { return right <= left || bottom <= top; }
  bool Contains(int x, int y) const { return !IsEmpty() && x >= left && x < right && y >= top && y < bottom; }
  bool operator==(const Rect& other) const {
    return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
  }
  bool operator!=(const Rect& other) const { return !(*this == other); }
};

inline Rect Intersection(const Rect& a, const Rect& b) {
  if (a.IsEmpty() || b.IsEmpty()) return {};
  Rect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
  return r.IsEmpty() ? Rect{} : r;
}

inline Rect Union(const Rect& a, const Rect& b) {
  if (a.IsEmpty()) return b.IsEmpty() ? Rect{} : b;
  if (b.IsEmpty()) return a;
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

}  // namespace graphics
