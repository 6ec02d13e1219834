// Points and rectangles of the toolkit. A rectangle's left and top are
// inclusive, right and bottom exclusive: width = right - left.
#pragma once

namespace kova::math::geom {

template <typename T, int D>
struct Point;

template <typename T>
struct Point<T, 2> {
    T x = 0;
    T y = 0;
    Point() = default;
    Point(T x_, T y_) : x(x_), y(y_) {}
    bool operator==(const Point& o) const { return x == o.x && y == o.y; }
    bool operator!=(const Point& o) const { return !(*this == o); }
};

template <typename T, int D>
struct Rectangle;

template <typename T>
struct Rectangle<T, 2> {
    T x0 = 0;  // left
    T y0 = 0;  // top
    T x1 = 0;  // right (exclusive)
    T y1 = 0;  // bottom (exclusive)
    Rectangle() = default;
    Rectangle(T left, T top, T right, T bottom) : x0(left), y0(top), x1(right), y1(bottom) {}
    T Width() const { return x1 - x0; }
    T Height() const { return y1 - y0; }
    // Pointer hit test: the right and bottom edges count as inside.
    bool Contains(const Point<T, 2>& p) const { return p.x >= x0 && p.x <= x1 && p.y >= y0 && p.y <= y1; }
    bool operator==(const Rectangle& o) const { return x0 == o.x0 && y0 == o.y0 && x1 == o.x1 && y1 == o.y1; }
    bool operator!=(const Rectangle& o) const { return !(*this == o); }
};

}  // namespace kova::math::geom
