// Searching the installed codecs' formats by their words.
#include "cmd/format_search.h"
#include "cmd/format_lookup.h"
#include "sources/codec_formats.h"

namespace {

// How many candidates an error names.
constexpr size_t ShownCandidates = 5;

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// The installed tags of that name (several codecs may name one tag alike),
// or the error naming the closest.
std::vector<CodecTag> TagsNamed(const std::string& name, std::string& error)
{
    std::vector<CodecTag> all = ListFormatTags(), named;
    std::vector<std::string> names;
    for (const CodecTag& tag : all) {
        names.push_back(tag.Name);
        if (SameName(tag.Name, name))
            named.push_back(tag);
    }
    if (named.empty()) {
        error = "No installed codec offers the format tag " + Quoted(name) + ". The closest:";
        for (const std::string& close : ClosestNames(names, name, ShownCandidates))
            error += "\n  " + close;
    }
    return named;
}

}  // namespace

FormatSearchResult ListCodecFormats(const std::optional<std::string>& tag)
{
    FormatSearchResult result;
    if (!tag) {
        for (const CodecTag& found : ListFormatTags())
            result.Lines.push_back(found.Name);
        return result;
    }
    for (const CodecTag& found : TagsNamed(*tag, result.Error))
        for (const CodecFormat& format : ListTagFormats(found.Tag))
            result.Lines.push_back(format.Name);
    return result;
}

FormatSearchResult FindDestinationFormat(const std::string& tag, const std::string& details)
{
    FormatSearchResult result;
    std::vector<NamedFormat> named;
    std::vector<std::vector<BYTE>> bytes;
    for (const CodecTag& found : TagsNamed(tag, result.Error)) {
        for (CodecFormat& format : ListTagFormats(found.Tag)) {
            named.push_back({ found.Name, format.Name });
            bytes.push_back(std::move(format.Bytes));
        }
    }
    if (!result.Error.empty())
        return result;
    std::vector<size_t> matching = MatchingFormats(named, tag, details);
    if (matching.size() == 1) {
        size_t index = matching.front();
        const auto& format = *reinterpret_cast<const WAVEFORMATEX*>(bytes[index].data());
        result.Format.assign(bytes[index].begin(), bytes[index].begin() + ChosenFormatLength(format));
        result.Tag = named[index].Tag;
        result.Details = named[index].Details;
        return result;
    }
    std::vector<std::string> names;
    for (const NamedFormat& format : named)
        names.push_back(format.Details);
    result.Error = (matching.empty() ? "No " : "More than one ") + std::string("format of ") + Quoted(tag) +
                   " is named " + Quoted(details) + ". The closest:";
    for (const std::string& close : ClosestNames(names, details, ShownCandidates))
        result.Error += "\n  " + close;
    return result;
}
