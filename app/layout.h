#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <array>

// Where everything in the window sits, in logical pixels. The game, its tests
// and its benches all place and look for things by these.
namespace layout {

// The window draws its own caption bar and a one-pixel edge round itself on
// every desktop, so that it looks and behaves the same on each.
constexpr int edge = 1;
constexpr int caption_height = 30;
constexpr QSize client_size{296, 375};
constexpr QRect caption{edge, edge, client_size.width(), caption_height};
constexpr QRect client_area{QPoint(edge, edge + caption_height), client_size};
constexpr QSize window_size{client_size.width() + 2 * edge, caption_height + client_size.height() + 2 * edge};
// In the window's coordinates, at the caption's right end.
constexpr QRect close_box{caption.x() + caption.width() - 26, caption.y() + 4, 22, 22};

// The controls by their design-time names, in the client area's coordinates.
enum class Kind { shape, label, picture, button };
struct Control {
    const char* name;
    Kind kind;
    QRect rect;
};

constexpr Control Shape4{"Shape4", Kind::shape, {16, 335, 267, 17}};
constexpr Control Label1{"Label1", Kind::label, {16, 0, 193, 97}};
constexpr Control Label2{"Label2", Kind::label, {208, 16, 41, 17}};
constexpr Control Shape1{"Shape1", Kind::shape, {7, 128, 281, 243}};
constexpr Control Label8{"Label8", Kind::label, {208, 32, 81, 17}};
constexpr Control Shape2{"Shape2", Kind::shape, {75, 356, 202, 9}};
constexpr Control Shape3{"Shape3", Kind::shape, {76, 357, 201, 8}};
constexpr Control Label9{"Label9", Kind::label, {216, 64, 97, 25}};
constexpr Control Label3{"Label3", Kind::label, {18, 354, 48, 13}};
constexpr Control Label4{"Label4", Kind::label, {230, 338, 49, 17}};
constexpr Control Label6{"Label6", Kind::label, {87, 337, 17, 17}};
constexpr Control 残り時{"残り時", Kind::label, {26, 337, 50, 12}};
constexpr Control 連打回{"連打回", Kind::label, {163, 337, 53, 12}};
constexpr Control Picture2{"Picture2", Kind::picture, {17, 133, 265, 201}};
constexpr Control start_btn{"start_btn", Kind::button, {8, 96, 281, 25}};

// Bottom-most first: later ones are drawn over earlier ones.
constexpr std::array<Control, 15> controls{Shape4, Label1,   Label2,   Shape1,  Label8,   Shape2,  Shape3,   Label9,
                                           Label3, Label4,   Label6,   残り時, 連打回, Picture2, start_btn};

} // namespace layout
