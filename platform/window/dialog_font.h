#pragma once
// The dialogs' font: the system Japanese Gothic face (IPA Gothic, found through fontconfig or
// at its Debian path) rendered with FreeType into ARGB pixels.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform::window {

class DialogFont {
public:
    // The face at `pixelSize`; null when no font with Japanese glyphs can be loaded.
    static std::unique_ptr<DialogFont> open(int pixelSize);
    ~DialogFont();
    DialogFont(const DialogFont&) = delete;
    DialogFont& operator=(const DialogFont&) = delete;

    // The height of a text line: the dialog unit U is the height of the one-line sample.
    int lineHeight() const { return lineHeight_; }
    int width(std::u16string_view text);
    // Draws one line with its top at y, clipped to the rectangle (clipX, clipY, clipW, clipH).
    void draw(std::vector<uint32_t>& pixels, int pitch, int x, int y, std::u16string_view text,
              uint32_t rgb, int clipX, int clipY, int clipW, int clipH);
    const std::string& path() const { return path_; }

private:
    struct Glyph {
        int left = 0;
        int top = 0;
        int width = 0;
        int height = 0;
        int advance = 0;
        std::vector<uint8_t> coverage;
    };
    DialogFont() = default;
    const Glyph& glyph(char32_t code);

    void* library_ = nullptr;  // FT_Library
    void* face_ = nullptr;     // FT_Face
    int lineHeight_ = 0;
    int ascent_ = 0;
    std::string path_;
    std::unordered_map<char32_t, Glyph> glyphs_;
};

// The code points of UTF-16 text (unpaired surrogates as U+FFFD).
std::u32string codePoints(std::u16string_view text);

}  // namespace platform::window
