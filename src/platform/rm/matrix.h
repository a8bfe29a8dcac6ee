#pragma once
// Row-vector 4x4 matrices (p' = p·M; rows 0-2 the axes, row 3 the origin) and vector helpers.
#include <cmath>

#include "platform/rm/rm.h"

namespace rm {

struct Matrix {
    float m[4][4];

    static Matrix Identity() { return {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}}; }
    static Matrix From(const float source[4][4]) {
        Matrix result;
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                result.m[r][c] = source[r][c];
        return result;
    }
    void CopyTo(float destination[4][4]) const {
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                destination[r][c] = m[r][c];
    }
};

inline Matrix operator*(const Matrix& a, const Matrix& b) {
    Matrix result{};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            double sum = 0;
            for (int k = 0; k < 4; ++k)
                sum += double(a.m[r][k]) * double(b.m[k][c]);
            result.m[r][c] = float(sum);
        }
    return result;
}

inline D3DVECTOR operator+(D3DVECTOR a, D3DVECTOR b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline D3DVECTOR operator-(D3DVECTOR a, D3DVECTOR b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline D3DVECTOR operator*(D3DVECTOR a, float s) {
    return {a.x * s, a.y * s, a.z * s};
}
inline float Dot(D3DVECTOR a, D3DVECTOR b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline D3DVECTOR Cross(D3DVECTOR a, D3DVECTOR b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline float Length(D3DVECTOR a) {
    return std::sqrt(Dot(a, a));
}
inline D3DVECTOR Normalize(D3DVECTOR a) {
    const float length = Length(a);
    return length > 0 ? a * (1.0f / length) : a;
}

inline D3DVECTOR TransformPoint(const Matrix& m, D3DVECTOR p) {
    return {p.x * m.m[0][0] + p.y * m.m[1][0] + p.z * m.m[2][0] + m.m[3][0],
            p.x * m.m[0][1] + p.y * m.m[1][1] + p.z * m.m[2][1] + m.m[3][1],
            p.x * m.m[0][2] + p.y * m.m[1][2] + p.z * m.m[2][2] + m.m[3][2]};
}
inline D3DVECTOR TransformDirection(const Matrix& m, D3DVECTOR d) {
    return {d.x * m.m[0][0] + d.y * m.m[1][0] + d.z * m.m[2][0],
            d.x * m.m[0][1] + d.y * m.m[1][1] + d.z * m.m[2][1],
            d.x * m.m[0][2] + d.y * m.m[1][2] + d.z * m.m[2][2]};
}
inline D3DVECTOR Row(const Matrix& m, int row) {
    return {m.m[row][0], m.m[row][1], m.m[row][2]};
}
inline void SetRow(Matrix& m, int row, D3DVECTOR v) {
    m.m[row][0] = v.x;
    m.m[row][1] = v.y;
    m.m[row][2] = v.z;
}

// A setter's whole work: keep the value, answer success.
template <typename T, typename V>
HRESULT Keep(T& field, V value) {
    field = static_cast<T>(value);
    return D3DRM_OK;
}

Matrix Translation(float x, float y, float z);
Matrix Rotation(D3DVECTOR axis, float theta);  // the axis is normalised here
Matrix Scaling(float sx, float sy, float sz);
// A frame's local-to-world matrix; identity for null (the world itself).
Matrix WorldOf(const Frame* frame);
// Floats 0..1 to an opaque colour.
D3DCOLOR ColourOf(float r, float g, float b);
// Inverse of an affine matrix (last column 0, 0, 0, 1).
Matrix InverseAffine(const Matrix& m);

}  // namespace rm
