#include "platform/win/gdi/text/DrawTextLayout.h"

#include "platform/win/gdi/text/Text_p.h"

#include <algorithm>

namespace win::text {

namespace {

constexpr std::u16string_view ELLIPSIS = u"...";

bool IsSpace(char16_t c) {
    return c == u' ' || c == u'\t';
}
bool IsBreak(char16_t c) {
    return c == u'\r' || c == u'\n';
}
bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

// The text as shown: prefixes removed. rawOf[i] is the caller's index of
// shown unit i.
struct Shown {
    std::u16string text;
    std::vector<std::size_t> rawOf;
    std::vector<char> prefixed;
    std::size_t rawLength = 0;

    // The caller's index where shown unit i starts (prefix included).
    std::size_t RawStart(std::size_t i) const {
        if (i >= text.size()) {
            return rawLength;
        }
        return i == 0 ? 0 : rawOf[i - 1] + 1;
    }
};

Shown RemovePrefixes(std::u16string_view raw, bool prefixes) {
    Shown shown;
    shown.rawLength = raw.size();
    shown.text.reserve(raw.size());
    shown.rawOf.reserve(raw.size());
    shown.prefixed.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        bool underline = false;
        if (prefixes && raw[i] == u'&') {
            if (i + 1 == raw.size()) {
                break;
            }
            ++i;
            underline = raw[i] != u'&';
        }
        shown.text.push_back(raw[i]);
        shown.rawOf.push_back(i);
        shown.prefixed.push_back(underline ? 1 : 0);
    }
    return shown;
}

// A line being laid out: a range of the shown text, and what it shows.
struct LineDraft {
    std::size_t start = 0;
    std::size_t end = 0;
    std::u16string text;
    std::vector<long> sourceOf; // shown index of each unit of `text`, -1 for inserted dots
};

// A replacement of shown units [from, to) by the dots.
struct Cut {
    std::size_t from;
    std::size_t to;
};

enum class Ellipsis { eNone, eEnd, ePath };

} // namespace

std::vector<LONG> DrawTextLayout::Carets(std::u16string_view line, LONG tabWidth) {
    std::vector<LONG> carets(line.size(), 0);
    LONG base = 0;
    std::size_t i = 0;
    while (i < line.size()) {
        if (tabWidth > 0 && line[i] == u'\t') {
            base = (base / tabWidth + 1) * tabWidth;
            carets[i++] = base;
            continue;
        }
        std::size_t end = i;
        while (end < line.size() && !(tabWidth > 0 && line[end] == u'\t')) {
            ++end;
        }
        const auto run =
            WithCharacterExtra(FFont.Shape(line.substr(i, end - i), ShapeMode::smShaped), FExtra);
        for (std::size_t k = 0; k < run->carets.size(); ++k) {
            carets[i + k] = base + run->carets[k];
        }
        base += run->width;
        i = end;
    }
    return carets;
}

std::size_t DrawTextLayout::FitFrom(std::u16string_view text, std::size_t at, std::size_t end, LONG width,
                                    LONG tabWidth) {
    // Measures a window that grows until the text overflows inside it, so
    // that a long paragraph costs no more than the lines laid out.
    std::size_t window = std::min<std::size_t>(end - at, 256);
    for (;;) {
        const auto carets = Carets(text.substr(at, window), tabWidth);
        std::size_t fit = 0;
        while (fit < carets.size() && carets[fit] <= width) {
            ++fit;
        }
        if (fit < window || window == end - at) {
            return at + fit;
        }
        window = std::min(end - at, window * 2);
    }
}

LONG DrawTextLayout::Width(std::u16string_view line, LONG tabWidth) {
    const auto carets = Carets(line, tabWidth);
    return carets.empty() ? 0 : carets.back();
}

DrawTextLayoutResult DrawTextLayout::Layout(const DrawTextInput& in) {
    const UINT format = in.format;
    const bool singleLine = (format & DT_SINGLELINE) != 0;
    const bool wrap = !singleLine && (format & DT_WORDBREAK) != 0;
    const bool charBreak = (format & DT_EDITCONTROL) != 0;
    const Ellipsis lineEllipsis = (format & DT_PATH_ELLIPSIS)                       ? Ellipsis::ePath
                                  : (format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS)) ? Ellipsis::eEnd
                                                                                    : Ellipsis::eNone;
    const Ellipsis lastLineEllipsis = (format & DT_END_ELLIPSIS)    ? Ellipsis::eEnd
                                      : (format & DT_PATH_ELLIPSIS) ? Ellipsis::ePath
                                                                    : Ellipsis::eNone;
    const LONG W = in.width;
    const Shown shown = RemovePrefixes(in.text, (format & DT_NOPREFIX) == 0);
    const std::u16string& text = shown.text;

    std::size_t maxLines = text.size() + 1;
    if (!singleLine && !(format & (DT_CALCRECT | DT_NOCLIP)) && in.lineHeight > 0) {
        const LONG lines =
            charBreak ? in.height / in.lineHeight : (in.height + in.lineHeight - 1) / in.lineHeight;
        maxLines = static_cast<std::size_t>(std::max<LONG>(1, lines));
    }

    // Cuts a draft to fit W with the given ellipsis; `rest` marks a line
    // that must show its cut because text follows it.
    std::vector<Cut> cuts;
    auto endCut = [&](LineDraft& line, std::size_t keepFrom, bool toEnd) {
        // Keep units [0, k) of line.text from `keepFrom` on, then the dots.
        const std::u16string head = line.text.substr(0, keepFrom);
        const std::u16string body = line.text.substr(keepFrom);
        const auto carets = Carets(body, in.tabWidth);
        const LONG headWidth = keepFrom ? Width(head, in.tabWidth) : 0;
        const LONG dots = Width(ELLIPSIS, 0);
        std::size_t k = body.size();
        while (k > 0 && headWidth + carets[k - 1] + dots > W) {
            --k;
        }
        auto fits = [&](std::size_t n) {
            return Width(head + body.substr(0, n) + std::u16string(ELLIPSIS), in.tabWidth) <= W;
        };
        // The caret estimate ignores kerning at the joins; settle on the
        // exact widths.
        while (k < body.size() && fits(k + 1)) {
            ++k;
        }
        while (k > 0 && !fits(k)) {
            --k;
        }
        if (k > 0 && IsHighSurrogate(body[k - 1])) {
            --k;
        }
        const std::size_t at = keepFrom + k;
        const long from = at < line.sourceOf.size() ? line.sourceOf[at] : static_cast<long>(line.end);
        cuts.push_back(Cut{static_cast<std::size_t>(from), toEnd ? text.size() : line.end});
        line.text = line.text.substr(0, at) + std::u16string(ELLIPSIS);
        line.sourceOf.resize(at);
        line.sourceOf.insert(line.sourceOf.end(), ELLIPSIS.size(), -1);
    };
    auto pathCut = [&](LineDraft& line, bool toEnd) {
        std::size_t sep = line.text.find_last_of(u"\\/");
        if (sep == std::u16string::npos || sep == 0) {
            endCut(line, 0, toEnd);
            return;
        }
        const std::u16string tail = line.text.substr(sep);
        const LONG tailWidth = Width(tail, 0);
        const LONG dots = Width(ELLIPSIS, 0);
        const auto carets = Carets(line.text.substr(0, sep), in.tabWidth);
        std::size_t k = sep;
        while (k > 0 && carets[k - 1] + dots + tailWidth > W) {
            --k;
        }
        auto fits = [&](std::size_t n) {
            return Width(line.text.substr(0, n) + std::u16string(ELLIPSIS) + tail, in.tabWidth) <= W;
        };
        while (k < sep && fits(k + 1)) {
            ++k;
        }
        while (k > 0 && !fits(k)) {
            --k;
        }
        if (k > 0 && IsHighSurrogate(line.text[k - 1])) {
            --k;
        }
        cuts.push_back(
            Cut{static_cast<std::size_t>(line.sourceOf[k]), static_cast<std::size_t>(line.sourceOf[sep])});
        std::vector<long> sources(line.sourceOf.begin(), line.sourceOf.begin() + static_cast<long>(k));
        sources.insert(sources.end(), ELLIPSIS.size(), -1);
        sources.insert(sources.end(), line.sourceOf.begin() + static_cast<long>(sep), line.sourceOf.end());
        line.text = line.text.substr(0, k) + std::u16string(ELLIPSIS) + tail;
        line.sourceOf = std::move(sources);
        if (Width(line.text, in.tabWidth) > W) {
            endCut(line, k + ELLIPSIS.size(), toEnd);
        } else if (toEnd && line.end < text.size()) {
            cuts.push_back(Cut{line.end, text.size()});
        }
    };
    auto applyEllipsis = [&](LineDraft& line, Ellipsis kind, bool toEnd) {
        if (kind == Ellipsis::ePath) {
            pathCut(line, toEnd);
        } else if (kind == Ellipsis::eEnd) {
            endCut(line, 0, toEnd);
        }
    };
    auto draftOf = [&](std::size_t start, std::size_t end) {
        LineDraft line{start, end, text.substr(start, end - start), {}};
        line.sourceOf.resize(end - start);
        for (std::size_t i = start; i < end; ++i) {
            line.sourceOf[i - start] = static_cast<long>(i);
        }
        return line;
    };

    DrawTextLayoutResult result;
    result.processed = shown.rawLength;
    std::vector<LineDraft> drafts;
    bool stopped = false;
    bool first = true;
    std::size_t pos = 0;
    while (!stopped && (pos < text.size() || first)) {
        first = false;
        std::size_t paragraphEnd = text.size();
        if (!singleLine) {
            paragraphEnd = pos;
            while (paragraphEnd < text.size() && !IsBreak(text[paragraphEnd])) {
                ++paragraphEnd;
            }
        }
        std::size_t next = paragraphEnd;
        if (next < text.size() && text[next] == u'\r' && next + 1 < text.size() && text[next + 1] == u'\n') {
            next += 2;
        } else if (next < text.size()) {
            ++next;
        }
        std::size_t at = pos;
        do {
            std::size_t end = paragraphEnd;
            std::size_t after = paragraphEnd;
            std::size_t fit = paragraphEnd;
            if (wrap) {
                fit = FitFrom(text, at, paragraphEnd, W, in.tabWidth);
            }
            if (fit < paragraphEnd) {
                std::size_t space = fit;
                while (space > at && !IsSpace(text[space])) {
                    --space;
                }
                if (space > at) {
                    end = space;
                    while (end > at && IsSpace(text[end - 1])) {
                        --end;
                    }
                    after = space;
                } else if (charBreak) {
                    end = std::max(fit, at + 1);
                    if (end < paragraphEnd && IsHighSurrogate(text[end - 1]) && end > at + 1) {
                        --end;
                    }
                    after = end;
                } else {
                    end = at;
                    while (end < paragraphEnd && !IsSpace(text[end])) {
                        ++end;
                    }
                    after = end;
                }
                while (after < paragraphEnd && IsSpace(text[after])) {
                    ++after;
                }
            }
            const bool moreText = after < paragraphEnd || next < text.size();
            const bool last = drafts.size() + 1 == maxLines && moreText;
            if (last && lastLineEllipsis != Ellipsis::eNone) {
                // The last line that is laid out takes the rest of its
                // paragraph and shows that text was left out.
                LineDraft line = draftOf(at, paragraphEnd);
                applyEllipsis(line, lastLineEllipsis, true);
                drafts.push_back(std::move(line));
                stopped = true;
                break;
            }
            LineDraft line = draftOf(at, end);
            const bool overflowing = lineEllipsis != Ellipsis::eNone && Width(line.text, in.tabWidth) > W;
            // Wrapped lines too wide hold one long word: the word and path
            // ellipses cut it; the end ellipsis only when it ends the text,
            // and leaves it clipped elsewhere.
            const bool endsText = (format & DT_END_ELLIPSIS) && !moreText;
            if (overflowing && (!wrap || endsText || (format & (DT_WORD_ELLIPSIS | DT_PATH_ELLIPSIS)))) {
                applyEllipsis(line, lineEllipsis, false);
            }
            drafts.push_back(std::move(line));
            if (last) {
                result.processed = shown.RawStart(after < paragraphEnd ? after : next);
                stopped = true;
                break;
            }
            at = after;
        } while (at < paragraphEnd);
        pos = next;
    }

    for (LineDraft& draft : drafts) {
        LaidLine line;
        const auto carets = Carets(draft.text, in.tabWidth);
        line.width = carets.empty() ? 0 : carets.back();
        line.x = (format & DT_CENTER) ? (W - line.width) / 2 : (format & DT_RIGHT) ? W - line.width : 0;
        for (std::size_t j = 0; j < draft.text.size(); ++j) {
            const long source = draft.sourceOf[j];
            if (source >= 0 && shown.prefixed[static_cast<std::size_t>(source)]) {
                line.prefixes.emplace_back(j == 0 ? 0 : carets[j - 1], carets[j]);
            }
        }
        line.text = std::move(draft.text);
        result.widest = std::max(result.widest, line.width);
        result.lines.push_back(std::move(line));
    }

    if (!cuts.empty()) {
        std::sort(cuts.begin(), cuts.end(), [](const Cut& a, const Cut& b) { return a.from < b.from; });
        std::size_t from = 0;
        for (const Cut& cut : cuts) {
            if (cut.from < from) {
                continue;
            }
            result.modified.append(
                in.text.substr(shown.RawStart(from), shown.RawStart(cut.from) - shown.RawStart(from)));
            result.modified.append(ELLIPSIS);
            from = cut.to;
        }
        result.modified.append(in.text.substr(shown.RawStart(from)));
        result.cut = true;
        result.processed = result.modified.size();
    }
    return result;
}

} // namespace win::text
