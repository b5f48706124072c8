// vxConsts: the plain value records every module passes by value (points, boxes, matrices,
// colours), the shared constants and the ACI palette / line-weight tables.
//
// Coordinates are doubles in drawing units, Y grows upward, so a box's Top is its largest Y.
// Records are plain values with named fields; the "views" of the original layout (V[i], TopLeft, ...)
// are accessors, never type punning.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace vx {

constexpr double Accuracy = 1e-9;      // the general zero test
constexpr double fPi = 3.14159265358979323846;
constexpr double fPiDiv180 = fPi / 180.0;
constexpr double f180DivPi = 180.0 / fPi;
constexpr double BadBoxValue = 1e20;
constexpr double MaxDouble = 1.7976931348623157e308;

struct TF2DPoint {
  double X = 0, Y = 0;

  double V(int i) const { return i == 0 ? X : Y; }
  double& V(int i) { return i == 0 ? X : Y; }
  friend bool operator==(const TF2DPoint&, const TF2DPoint&) = default;
};

struct TFPoint {
  double X = 0, Y = 0, Z = 0;

  TF2DPoint Point2D() const { return {X, Y}; }
  double Elevation() const { return Z; }
  double V(int i) const { return i == 0 ? X : (i == 1 ? Y : Z); }
  double& V(int i) { return i == 0 ? X : (i == 1 ? Y : Z); }
  friend bool operator==(const TFPoint&, const TFPoint&) = default;
};

struct TF2DRect {
  double Left = 0, Top = 0, Right = 0, Bottom = 0;

  TF2DPoint TopLeft() const { return {Left, Top}; }
  TF2DPoint BottomRight() const { return {Right, Bottom}; }
  double V(int i) const { return const_cast<TF2DRect*>(this)->V(i); }
  double& V(int i) { return i == 0 ? Left : i == 1 ? Top : i == 2 ? Right : Bottom; }
  friend bool operator==(const TF2DRect&, const TF2DRect&) = default;
};

struct TFRect {
  double Left = 0, Top = 0, Z1 = 0, Right = 0, Bottom = 0, Z2 = 0;

  TFPoint TopLeft() const { return {Left, Top, Z1}; }
  TFPoint BottomRight() const { return {Right, Bottom, Z2}; }
  void SetTopLeft(const TFPoint& p) { Left = p.X; Top = p.Y; Z1 = p.Z; }
  void SetBottomRight(const TFPoint& p) { Right = p.X; Bottom = p.Y; Z2 = p.Z; }
  // D[0] = TopLeft, D[1] = BottomRight
  TFPoint D(int i) const { return i == 0 ? TopLeft() : BottomRight(); }
  double V(int i) const { return const_cast<TFRect*>(this)->V(i); }
  double& V(int i) {
    switch (i) {
      case 0: return Left;
      case 1: return Top;
      case 2: return Z1;
      case 3: return Right;
      case 4: return Bottom;
      default: return Z2;
    }
  }
  friend bool operator==(const TFRect&, const TFRect&) = default;
};

// Rows V1, V2, V3 are the images of the X, Y and Z unit vectors, V4 the translation.
// Points are row vectors: P' = P.X*V1 + P.Y*V2 + P.Z*V3 + V4.
struct TFMatrix {
  std::array<std::array<double, 3>, 4> M{};  // M[row][column]

  TFPoint Row(int r) const { return {M[r][0], M[r][1], M[r][2]}; }
  void SetRow(int r, const TFPoint& p) { M[r] = {p.X, p.Y, p.Z}; }
  TFPoint EX() const { return Row(0); }
  TFPoint EY() const { return Row(1); }
  TFPoint EZ() const { return Row(2); }
  TFPoint E0() const { return Row(3); }
  double V(int i) const { return M[i / 3][i % 3]; }
  double& V(int i) { return M[i / 3][i % 3]; }
  friend bool operator==(const TFMatrix&, const TFMatrix&) = default;
};

struct TvxLine {
  TFPoint Point1, Point2;
  friend bool operator==(const TvxLine&, const TvxLine&) = default;
};

struct TvxArcR {
  TFPoint Center;
  double Radius = 0;
  double AngleS = 0;  // degrees
  double AngleE = 0;  // degrees
  friend bool operator==(const TvxArcR&, const TvxArcR&) = default;
};

struct TvxInt64 {
  int32_t Lo = 0, Hi = 0;
};

struct TvxVersion {
  int32_t Major = 0, Minor = 0;
};

// ---- constants ------------------------------------------------------------------------------

inline constexpr TFPoint cnstFPointZero{0, 0, 0};
inline constexpr TF2DPoint cnstF2DPointZero{0, 0};
inline constexpr TFPoint cnstXOrtAxis{1, 0, 0};
inline constexpr TFPoint cnstYOrtAxis{0, 1, 0};
inline constexpr TFPoint cnstZOrtAxis{0, 0, 1};
inline constexpr TFPoint cnstFPointSingle{1, 1, 1};  // default scale
inline constexpr TFPoint cnstExtrusion{0, 0, 1};
inline constexpr TFPoint cnstMaxFPoint{MaxDouble, MaxDouble, MaxDouble};

inline constexpr TFMatrix cnstIdentityMat{{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, 0}}}};

inline constexpr TFRect cnstBadRect{BadBoxValue, -BadBoxValue, BadBoxValue,
                                    -BadBoxValue, BadBoxValue, -BadBoxValue};
inline constexpr TFRect BadBox = cnstBadRect;
inline constexpr TF2DRect cnstBad2DRect{BadBoxValue, -BadBoxValue, -BadBoxValue, BadBoxValue};

// ---- colours --------------------------------------------------------------------------------

enum class TvxActiveColor : uint8_t { acIndexColor = 0, acRGBColor = 1 };
using enum TvxActiveColor;

// The stored colour of entities and layers. With acIndexColor, Color is an ACI index
// (0 by block, 256 by layer, 1..255 palette); with acRGBColor a 0x00BBGGRR value.
struct TvxColorCAD {
  TvxActiveColor Active = acIndexColor;
  uint32_t Color = 256;
  std::string AlbumString;
};

// Display colours (0x00BBGGRR) with three reserved values.
using TColor = uint32_t;
constexpr TColor clForeground = 0x1FFFFFFF;
constexpr TColor clByLayer = 0x2FFFFFFF;
constexpr TColor clByBlock = 0x3FFFFFFF;

constexpr uint32_t cnstColorCADByBlockIndex = 0;
constexpr uint32_t cnstColorCADByLayerIndex = 256;
constexpr uint32_t cnstColorCADForegroundIndex = 7;

inline TvxColorCAD MakeColorCAD(TvxActiveColor a, uint32_t c) { return {a, c, {}}; }
inline TvxColorCAD cnstColorCADByBlock() { return {acIndexColor, 0, {}}; }
inline TvxColorCAD cnstColorCADByLayer() { return {acIndexColor, 256, {}}; }
inline TvxColorCAD cnstColorCADByWhite() { return {acIndexColor, 7, {}}; }
inline TvxColorCAD cnstColorCADWhiteRGB() { return {acRGBColor, 0xFFFFFF, {}}; }

// ---- line weights ---------------------------------------------------------------------------

// Millimetres; these three negative values are codes, not widths.
constexpr double fLineWeightByLayer = -1;
constexpr double fLineWeightByBlock = -2;
constexpr double fLineWeightDefault = -3;

// The 24 standard line weights in hundredths of a millimetre.
inline constexpr std::array<int, 24> LineWeightTable{0,  5,  9,  13, 15, 18,  20,  25,
                                                     30, 35, 40, 50, 53, 60,  70,  80,
                                                     90, 100, 106, 120, 140, 158, 200, 211};

}  // namespace vx
