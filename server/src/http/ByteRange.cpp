// SPDX-License-Identifier: MIT
#include "ByteRange.h"

#include <charconv>
#include <optional>

namespace {

std::optional<std::size_t> number(std::string_view text)
{
    std::size_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

} // namespace

ByteRange ByteRange::select(std::string_view header, std::size_t size)
{
    ByteRange whole;
    header = trimmed(header);
    constexpr std::string_view unit = "bytes=";
    if (header.size() <= unit.size() || header.find(',') != std::string_view::npos)
        return whole;
    for (std::size_t i = 0; i < unit.size(); ++i) {
        if ((header[i] | 0x20) != unit[i] && header[i] != unit[i])
            return whole;
    }
    const std::string_view spec = trimmed(header.substr(unit.size()));
    const std::size_t dash = spec.find('-');
    if (dash == std::string_view::npos)
        return whole;
    const auto from = number(trimmed(spec.substr(0, dash)));
    const std::string_view toText = trimmed(spec.substr(dash + 1));
    const auto to = number(toText);
    ByteRange range;
    range.kind = Kind::Partial;
    if (!from) {
        // "-N": the last N bytes.
        if (!to || !spec.substr(0, dash).empty())
            return whole;
        if (*to == 0 || size == 0)
            return { Kind::Unsatisfiable, 0, 0 };
        range.first = *to >= size ? 0 : size - *to;
        range.last = size - 1;
        return range;
    }
    if (!toText.empty() && (!to || *to < *from))
        return whole;
    if (*from >= size)
        return { Kind::Unsatisfiable, 0, 0 };
    range.first = *from;
    range.last = to && *to < size ? *to : size - 1;
    return range;
}
