#include "platform/rm/matrix.h"

namespace rm {

Matrix Translation(float x, float y, float z) {
    Matrix result = Matrix::Identity();
    SetRow(result, 3, {x, y, z});
    return result;
}

Matrix Rotation(D3DVECTOR axis, float theta) {
    const D3DVECTOR a = Normalize(axis);
    const float c = std::cos(theta), s = std::sin(theta), t = 1 - c;
    Matrix r = Matrix::Identity();
    r.m[0][0] = t * a.x * a.x + c;
    r.m[0][1] = t * a.x * a.y + s * a.z;
    r.m[0][2] = t * a.x * a.z - s * a.y;
    r.m[1][0] = t * a.x * a.y - s * a.z;
    r.m[1][1] = t * a.y * a.y + c;
    r.m[1][2] = t * a.y * a.z + s * a.x;
    r.m[2][0] = t * a.x * a.z + s * a.y;
    r.m[2][1] = t * a.y * a.z - s * a.x;
    r.m[2][2] = t * a.z * a.z + c;
    return r;
}

Matrix Scaling(float sx, float sy, float sz) {
    Matrix result = Matrix::Identity();
    result.m[0][0] = sx;
    result.m[1][1] = sy;
    result.m[2][2] = sz;
    return result;
}

Matrix InverseAffine(const Matrix& m) {
    const double a = m.m[0][0], b = m.m[0][1], c = m.m[0][2];
    const double d = m.m[1][0], e = m.m[1][1], f = m.m[1][2];
    const double g = m.m[2][0], h = m.m[2][1], i = m.m[2][2];
    const double det = a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
    if (det == 0) return Matrix::Identity();
    const double k = 1.0 / det;
    Matrix r = Matrix::Identity();
    r.m[0][0] = float((e * i - f * h) * k);
    r.m[0][1] = float((c * h - b * i) * k);
    r.m[0][2] = float((b * f - c * e) * k);
    r.m[1][0] = float((f * g - d * i) * k);
    r.m[1][1] = float((a * i - c * g) * k);
    r.m[1][2] = float((c * d - a * f) * k);
    r.m[2][0] = float((d * h - e * g) * k);
    r.m[2][1] = float((b * g - a * h) * k);
    r.m[2][2] = float((a * e - b * d) * k);
    const D3DVECTOR origin = Row(m, 3);
    const D3DVECTOR back = TransformDirection(r, origin);
    SetRow(r, 3, {-back.x, -back.y, -back.z});
    return r;
}

}  // namespace rm
