// vxFunction: arithmetic on the value records of vxConsts: transforms, matrices, vectors,
// boxes, angles, colour conversions and line weights. Pure functions, no state.
#pragma once

#include "foundation/vxConsts.h"

#include <cstdint>

namespace vx {

// ---- rounding -------------------------------------------------------------------------------

// Round half to even (banker's rounding), the rounding every "round" in this library means.
// Saturates to the int64 range; NaN gives 0.
int64_t RoundHalfEven(double v);
// The same as a double (no range limit); NaN stays NaN.
double RoundHalfEvenD(double v);

// ---- vectors --------------------------------------------------------------------------------

TFPoint AddFPoint(const TFPoint& a, const TFPoint& b);
TFPoint SubFPoint(const TFPoint& a, const TFPoint& b);
TFPoint PtXScalar(const TFPoint& p, double s);
TFPoint MiddleFPoint(const TFPoint& a, const TFPoint& b);
double DotFPoint(const TFPoint& a, const TFPoint& b);
TFPoint CrossFPoint(const TFPoint& a, const TFPoint& b);
// Divides by the length; a zero vector is divided by 1 and stays zero.
TFPoint Normalize(const TFPoint& p);
// 0 when the squared length is at most 1e-9.
double VectorLength(const TFPoint& p);
double DistanceFPoint(const TFPoint& a, const TFPoint& b);
double DistanceFPoint2D(const TFPoint& a, const TFPoint& b);
// Rodrigues' rotation of v about axis by angle (radians); no-op when |angle| < 1e-6.
TFPoint RotateAroundVector(const TFPoint& v, const TFPoint& axis, double angle);

// ---- matrices (row vectors: P' = P * M) ----------------------------------------------------

TFPoint TransformPoint(const TFPoint& p, const TFMatrix& m);
TFPoint TransformVector(const TFPoint& p, const TFMatrix& m);
// Applies a first, then b.
TFMatrix MultiplyMatrix(const TFMatrix& a, const TFMatrix& b);
TFMatrix TranslationMatrix(const TFPoint& p);
TFMatrix ScaleMatrix(double sx, double sy, double sz);
TFMatrix ScaleMatrix(const TFPoint& s);
// Scales column j of all four rows (translation included) by s[j].
TFMatrix MatrixScale(const TFMatrix& m, const TFPoint& s);

enum class TvxAxis : uint8_t { axisX, axisY, axisZ };
using enum TvxAxis;
// Right-handed rotation by radians; exact 0/1/-1 on multiples of pi/2.
TFMatrix RotationMatrix(TvxAxis axis, double angleRad);
TFMatrix RotationMatrixZDeg(double angleDeg);

// Object coordinate system of a normal: outputs Ax and Ay.
void ArbitraryAxis(const TFPoint& normal, TFPoint& ax, TFPoint& ay);
// Rows Ax, Ay, N: object to world coordinates; its transpose maps world to object.
TFMatrix ExtrusionMatrix(const TFPoint& normal);
// Rotation about Z by angleDeg, then the extrusion matrix.
TFMatrix ExtrusionMatrix(const TFPoint& normal, double angleDeg);
TFMatrix TransposeMatrix3(const TFMatrix& m);  // 3 x 3 part transposed, V4 zero
// Inverse of a matrix whose rows are orthogonal and of equal length.
TFMatrix InvertOrthoMatrix(const TFMatrix& m);
// General inverse of the affine matrix; identity when singular.
TFMatrix InvertMatrix(const TFMatrix& m);
double Determinant3(const TFMatrix& m);

// ---- boxes ----------------------------------------------------------------------------------

void ExpandBox(TFRect& box, const TFPoint& p);
void ExpandBox2D(TF2DRect& box, const TF2DPoint& p);
void UnionBox(TFRect& a, const TFRect& b);
void UnionBox2D(TF2DRect& a, const TF2DRect& b);
bool IsBadBox(const TFRect& b);
bool IsBadBox2D(const TF2DRect& b);
// Intersection of two 2D boxes into out; true when the result is not bad.
bool IntersectBox2D(const TF2DRect& a, const TF2DRect& b, TF2DRect& out);
// The axis-aligned box holding the eight transformed corners (a bad box stays bad).
TFRect TransformBox(const TFRect& b, const TFMatrix& m);
TFRect MakeFRect(const TFPoint& topLeft, const TFPoint& bottomRight);
TFPoint BoxCenter(const TFRect& b);

// ---- angles ---------------------------------------------------------------------------------

// Degrees in [0, 360).
double VectorAngle(double dx, double dy);
double VectorAngle(const TFPoint& from, const TFPoint& to);
// a - 360 * trunc(a / 360), sign kept; false (a unchanged) when |a| >= 2147483647.
bool NormalizeAngle(double& a);
bool NormalizeAngleRad(double& a);
// Reduces AngleS as above and AngleE only when it exceeds 360.
void NormalizeArc(TvxArcR& arc);

// ---- comparisons ----------------------------------------------------------------------------

// Every coordinate differs by less than tol; tol 0 means Accuracy.
bool IsEqualFPoints(const TFPoint& a, const TFPoint& b, double tol = 0);
bool IsEqualF2DPoints(const TF2DPoint& a, const TF2DPoint& b, double tol = 0);
// +1 above 1e-9, -1 below -1e-9, 0 between.
int SignWithTolerance(double v);
bool IsZero(double v, double tol = Accuracy);

// ---- colours --------------------------------------------------------------------------------

extern const std::array<TColor, 256> AciPalette;

TColor AciToColor(int index);
int ColorToAci(TColor c);
// Skips index 0 when the palette's entry 0 is black.
int ColorToAciSkipZero(TColor c);
TvxColorCAD ColorToColorCAD(TColor c);
TColor ColorCADToColor(const TvxColorCAD& cc);
bool IsEqualColorCAD(const TvxColorCAD& a, const TvxColorCAD& b);

// ---- line weights ---------------------------------------------------------------------------

// Millimetres to the nearest table entry at or below, in hundredths of a millimetre.
int LineWeightToTable(double mm);

}  // namespace vx
