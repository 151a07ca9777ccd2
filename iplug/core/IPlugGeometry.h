#pragma once
// Rectangles of the editor: left, top, right, bottom in pixels.

struct IRectangle {
  int left = 0, top = 0, right = 0, bottom = 0;

  IRectangle() = default;
  IRectangle(int l, int t, int r, int b) : left(l), top(t), right(r), bottom(b) {}

  bool Empty() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
  bool Contains(int x, int y) const { return !Empty() && x >= left && x < right && y >= top && y < bottom; }
  bool operator==(const IRectangle& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
  bool operator!=(const IRectangle& o) const { return !(*this == o); }

  // Empty when either is empty or they do not overlap. Touching at this one's right or bottom
  // edge counts as overlapping and gives a zero-width or zero-height result.
  IRectangle Intersect(const IRectangle& other) const {
    if (Empty() || other.Empty()) return IRectangle();
    if (right >= other.left && left < other.right && bottom >= other.top && top < other.bottom) {
      return IRectangle(left > other.left ? left : other.left, top > other.top ? top : other.top,
                        right < other.right ? right : other.right,
                        bottom < other.bottom ? bottom : other.bottom);
    }
    return IRectangle();
  }
};
