#include "platform/Resample.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Weights are fixed point with this many fraction bits; an output pixel's
// weights add up to exactly kOne, so a plain colour stays the same colour.
constexpr int kWeightBits = 14;
constexpr std::uint32_t kOne = 1u << kWeightBits;
// The vertical sums keep 8 fraction bits into the horizontal pass.
constexpr int kCarryShift = kWeightBits - 8;
constexpr int kFinalShift = 8 + kWeightBits;

// For each output index along one axis, the source indices it reads
// (first .. first + count - 1) and their weights.
struct AxisTaps {
    std::vector<int> first;
    std::vector<int> count;
    std::vector<std::uint32_t> weights;  // `stride` per output index
    int stride = 0;

    const std::uint32_t* WeightsOf(int i) const {
        return weights.data() + static_cast<std::size_t>(i) * static_cast<std::size_t>(stride);
    }
};

// Makes the weights of output index i add up to kOne: rounding leaves the
// difference on its largest weight.
void Normalise(std::uint32_t* w, int count) {
    std::uint32_t sum = 0;
    int largest = 0;
    for (int t = 0; t < count; ++t) {
        sum += w[t];
        if (w[t] > w[largest]) largest = t;
    }
    w[largest] += kOne - sum;
}

AxisTaps TapsFor(int from, int to) {
    AxisTaps taps;
    taps.first.resize(static_cast<std::size_t>(to));
    taps.count.resize(static_cast<std::size_t>(to));
    if (to < from) {
        // Area average. In units of 1/to of a source pixel, source pixel k
        // covers [k * to, (k + 1) * to) and output pixel i covers [i * from, (i + 1) * from).
        taps.stride = from / to + 2;
        taps.weights.assign(static_cast<std::size_t>(to) * taps.stride, 0);
        for (int i = 0; i < to; ++i) {
            const std::int64_t lo = static_cast<std::int64_t>(i) * from;
            const std::int64_t hi = lo + from;
            const int k0 = static_cast<int>(lo / to);
            const int k1 = static_cast<int>((hi - 1) / to);
            std::uint32_t* w = taps.weights.data() + static_cast<std::size_t>(i) * taps.stride;
            for (int k = k0; k <= k1; ++k) {
                const std::int64_t overlap =
                    std::min<std::int64_t>(hi, (k + 1LL) * to) -
                    std::max<std::int64_t>(lo, static_cast<std::int64_t>(k) * to);
                w[k - k0] = static_cast<std::uint32_t>((overlap * kOne + from / 2) / from);
            }
            taps.first[static_cast<std::size_t>(i)] = k0;
            taps.count[static_cast<std::size_t>(i)] = k1 - k0 + 1;
            Normalise(w, k1 - k0 + 1);
        }
        return taps;
    }
    // Linear interpolation. Output pixel i's centre lies at source position
    // ((2i + 1) * from - to) / (2 * to), clamped to the first and last pixel.
    taps.stride = 2;
    taps.weights.assign(static_cast<std::size_t>(to) * 2, 0);
    const std::int64_t denominator = 2LL * to;
    for (int i = 0; i < to; ++i) {
        std::int64_t position = (2LL * i + 1) * from - to;
        position = std::clamp<std::int64_t>(position, 0, (from - 1LL) * denominator);
        const int k0 = static_cast<int>(position / denominator);
        const std::int64_t rest = position - k0 * denominator;
        std::uint32_t* w = taps.weights.data() + static_cast<std::size_t>(i) * 2;
        const auto right =
            static_cast<std::uint32_t>((rest * kOne + denominator / 2) / denominator);
        taps.first[static_cast<std::size_t>(i)] = k0;
        if (right == 0 || k0 + 1 >= from) {
            w[0] = kOne;
            taps.count[static_cast<std::size_t>(i)] = 1;
        } else {
            w[0] = kOne - right;
            w[1] = right;
            taps.count[static_cast<std::size_t>(i)] = 2;
        }
    }
    return taps;
}

// The horizontal pass of one output row: `sums` holds the row's vertical
// sums per source byte, already carried to 8 fraction bits.
template <int Bytes>
void ScaleRow(const std::uint32_t* sums, const AxisTaps& across, std::uint32_t* out, int width) {
    constexpr std::uint32_t kHalf = 1u << (kFinalShift - 1);
    for (int x = 0; x < width; ++x) {
        const std::uint32_t* w = across.WeightsOf(x);
        const std::uint32_t* in = sums + static_cast<std::ptrdiff_t>(across.first[x]) * Bytes;
        const int count = across.count[static_cast<std::size_t>(x)];
        std::uint32_t c0 = kHalf, c1 = kHalf, c2 = kHalf, c3 = kHalf;
        for (int t = 0; t < count; ++t, in += Bytes) {
            c0 += in[0] * w[t];
            c1 += in[1] * w[t];
            c2 += in[2] * w[t];
            if constexpr (Bytes == 4) c3 += in[3] * w[t];
        }
        std::uint32_t pixel =
            (c0 >> kFinalShift) | ((c1 >> kFinalShift) << 8) | ((c2 >> kFinalShift) << 16);
        if constexpr (Bytes == 4) pixel |= (c3 >> kFinalShift) << 24;
        out[x] = pixel;
    }
}

// The vertical pass of one output row: each byte of the row, weighted over
// the `count` source rows from `first` on, carried to 8 fraction bits. Whole
// rows at once, so the loops vectorise; bytes and weights both fit 16 bits,
// which lets them multiply 16-bit lanes into 32-bit sums. Where the compiler
// can, it also makes a copy for wider vector units, chosen at run time.
#if defined(__GNUC__) && defined(__x86_64__) && defined(__linux__) && !defined(__clang__)
__attribute__((target_clones("avx2", "default")))
#endif
void VerticalSums(const PixelPlane& source, int first, int count, const std::uint32_t* w,
                  std::size_t rowBytes, std::uint32_t* sum) {
    {
        const unsigned char* in = source.top + first * source.stride;
        const auto weight = static_cast<std::uint16_t>(w[0]);
        for (std::size_t k = 0; k < rowBytes; ++k)
            sum[k] = static_cast<std::uint32_t>(static_cast<std::uint16_t>(in[k]) * weight);
    }
    for (int t = 1; t < count; ++t) {
        const unsigned char* in = source.top + (first + t) * source.stride;
        const auto weight = static_cast<std::uint16_t>(w[t]);
        for (std::size_t k = 0; k < rowBytes; ++k)
            sum[k] += static_cast<std::uint32_t>(static_cast<std::uint16_t>(in[k])) * weight;
    }
    constexpr std::uint32_t kCarryHalf = 1u << (kCarryShift - 1);
    for (std::size_t k = 0; k < rowBytes; ++k) sum[k] = (sum[k] + kCarryHalf) >> kCarryShift;
}

}  // namespace

bool Resample(const PixelPlane& source, std::uint32_t* target, int width, int height,
              std::ptrdiff_t targetStride) {
    if (source.top == nullptr || target == nullptr || source.width < 1 || source.height < 1 ||
        width < 1 || height < 1 || (source.bytesPerPixel != 3 && source.bytesPerPixel != 4))
        return false;
    const AxisTaps down = TapsFor(source.height, height);
    const AxisTaps across = TapsFor(source.width, width);
    const std::size_t rowBytes =
        static_cast<std::size_t>(source.width) * static_cast<std::size_t>(source.bytesPerPixel);
    std::vector<std::uint32_t> sums(rowBytes);
    auto* out = reinterpret_cast<unsigned char*>(target);
    for (int y = 0; y < height; ++y) {
        VerticalSums(source, down.first[static_cast<std::size_t>(y)],
                     down.count[static_cast<std::size_t>(y)], down.WeightsOf(y), rowBytes,
                     sums.data());
        const std::uint32_t* sum = sums.data();
        auto* row = reinterpret_cast<std::uint32_t*>(out + y * targetStride);
        if (source.bytesPerPixel == 4)
            ScaleRow<4>(sum, across, row, width);
        else
            ScaleRow<3>(sum, across, row, width);
    }
    return true;
}
