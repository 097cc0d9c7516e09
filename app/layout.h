#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

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

// The controls, in the client area's coordinates, bottom-most first.
constexpr QRect Shape4{16, 335, 267, 17};
constexpr QRect Label1{16, 0, 193, 97};
constexpr QRect Label2{208, 16, 41, 17};
constexpr QRect Shape1{7, 128, 281, 243};
constexpr QRect Label8{208, 32, 81, 17};
constexpr QRect Shape2{75, 356, 202, 9};
constexpr QRect Shape3{76, 357, 201, 8};
constexpr QRect Label9{216, 64, 97, 25};
constexpr QRect Label3{18, 354, 48, 13};
constexpr QRect Label4{230, 338, 49, 17};
constexpr QRect Label6{87, 337, 17, 17};
constexpr QRect 残り時{26, 337, 50, 12};
constexpr QRect 連打回{163, 337, 53, 12};
constexpr QRect Picture2{17, 133, 265, 201};
constexpr QRect start_btn{8, 96, 281, 25};

} // namespace layout
