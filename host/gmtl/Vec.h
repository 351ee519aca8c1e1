#pragma once

#include <cstddef>

namespace gmtl {

// A fixed-size vector of N values of T: the small part of GMTL that the
// terrain manager's interface needs. Elements start at zero.
template <typename T, unsigned N>
class Vec
{
public:
    using DataType = T;
    enum Params { Size = N };

    Vec() = default;

    template <typename... Values>
    Vec(T first, Values... rest) : mData{first, static_cast<T>(rest)...}
    {
        static_assert(sizeof...(Values) + 1 == N, "gmtl::Vec needs exactly N values");
    }

    T& operator[](unsigned i) { return mData[i]; }
    const T& operator[](unsigned i) const { return mData[i]; }

    T* getData() { return mData; }
    const T* getData() const { return mData; }

    template <typename... Values>
    void set(Values... values)
    {
        static_assert(sizeof...(Values) == N, "gmtl::Vec::set needs exactly N values");
        *this = Vec(static_cast<T>(values)...);
    }

    bool operator==(const Vec& other) const
    {
        for (unsigned i = 0; i < N; ++i)
            if (mData[i] != other.mData[i])
                return false;
        return true;
    }
    bool operator!=(const Vec& other) const { return !(*this == other); }

private:
    T mData[N] = {};
};

using Vec3d = Vec<double, 3>;

} // namespace gmtl
