#include "tags/NumericSort.h"

#include <array>
#include <numeric>

std::vector<int> numericValueOrder(const std::vector<qint64>& values, bool& toggle)
{
    const bool descending = toggle;
    // The direction flips with every sort that moves rows; an empty list leaves it.
    if (!values.empty())
        toggle = !toggle;

    // Flipping the sign bit orders signed values as unsigned keys.
    std::vector<quint64> keys;
    keys.reserve(values.size());
    for (qint64 value : values)
        keys.push_back(quint64(value) ^ (quint64(1) << 63));
    return stableKeyOrder(keys, descending);
}

std::vector<int> stableKeyOrder(const std::vector<quint64>& keys, bool descending)
{
    // Least significant digit first, 11 bits at a time; a digit that is the
    // same in every key is skipped.
    constexpr int kDigitBits = 11;
    constexpr quint64 kDigitMask = (quint64(1) << kDigitBits) - 1;
    struct Item
    {
        quint64 key;
        int index;
    };
    const size_t count = keys.size();
    std::vector<Item> items(count);
    quint64 varying = 0;
    for (size_t i = 0; i < count; ++i) {
        items[i] = {descending ? ~keys[i] : keys[i], int(i)};
        varying |= items[i].key ^ items[0].key;
    }
    std::vector<Item> sorted(count);
    std::array<size_t, (1 << kDigitBits) + 1> starts;
    for (int shift = 0; shift < 64; shift += kDigitBits) {
        if (((varying >> shift) & kDigitMask) == 0)
            continue;
        starts.fill(0);
        for (const Item& item : items)
            ++starts[((item.key >> shift) & kDigitMask) + 1];
        std::partial_sum(starts.begin(), starts.end(), starts.begin());
        for (const Item& item : items)
            sorted[starts[(item.key >> shift) & kDigitMask]++] = item;
        items.swap(sorted);
    }
    std::vector<int> order(count);
    for (size_t i = 0; i < count; ++i)
        order[i] = items[i].index;
    return order;
}
