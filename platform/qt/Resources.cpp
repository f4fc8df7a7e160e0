#include <QFile>
#include <cctype>
#include <cstdlib>

#include "platform/qt/GdiInternal.h"

namespace quillfin::platform {
namespace {

// Where the build embeds the resource script and the files it names.
constexpr const char* kEmbeddedFolder = ":/quillfin/";
constexpr const char* kScriptName = "quillfin.rc";

struct Token {
    enum Type { End, Number, String, Word, Comma, Begin, Finish } type = End;
    std::string text;
    long value = 0;
};

// Reads the tokens of a resource script: numbers, quoted texts (a doubled
// quote stands for one), words, commas and the block brackets BEGIN/END or
// { }. Comments and preprocessor lines are skipped.
class Lexer {
public:
    explicit Lexer(std::string_view text) : text_(text) {}

    bool Next(Token& token) {
        token = Token{};
        SkipBlanks();
        if (pos_ >= text_.size()) return true;
        char c = text_[pos_];
        if (c == ',') return Single(token, Token::Comma);
        if (c == '{') return Single(token, Token::Begin);
        if (c == '}') return Single(token, Token::Finish);
        if (c == '"') return Quoted(token);
        if (std::isdigit(static_cast<unsigned char>(c)) || c == '-') return Numeral(token);
        if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
            std::size_t start = pos_;
            while (pos_ < text_.size() &&
                   (std::isalnum(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '_'))
                ++pos_;
            token.text = std::string(text_.substr(start, pos_ - start));
            token.type = token.text == "BEGIN" ? Token::Begin
                         : token.text == "END" ? Token::Finish
                                               : Token::Word;
            return true;
        }
        return false;
    }

private:
    void SkipBlanks() {
        while (pos_ < text_.size()) {
            char c = text_[pos_];
            if (std::isspace(static_cast<unsigned char>(c))) {
                ++pos_;
            } else if (text_.substr(pos_, 2) == "//" || (c == '#' && AtLineStart())) {
                while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
            } else if (text_.substr(pos_, 2) == "/*") {
                std::size_t end = text_.find("*/", pos_ + 2);
                pos_ = end == std::string_view::npos ? text_.size() : end + 2;
            } else {
                return;
            }
        }
    }
    bool AtLineStart() const {
        std::size_t p = pos_;
        while (p > 0 && (text_[p - 1] == ' ' || text_[p - 1] == '\t')) --p;
        return p == 0 || text_[p - 1] == '\n';
    }
    bool Single(Token& token, Token::Type type) {
        token.type = type;
        ++pos_;
        return true;
    }
    bool Quoted(Token& token) {
        ++pos_;
        while (pos_ < text_.size()) {
            char c = text_[pos_++];
            if (c == '"') {
                if (pos_ < text_.size() && text_[pos_] == '"') {
                    token.text.push_back('"');
                    ++pos_;
                    continue;
                }
                token.type = Token::String;
                return true;
            }
            if (c == '\n') return false;
            token.text.push_back(c);
        }
        return false;
    }
    bool Numeral(Token& token) {
        char* end = nullptr;
        std::string copy(text_.substr(pos_, 32));
        token.value = std::strtol(copy.c_str(), &end, 0);
        std::size_t used = static_cast<std::size_t>(end - copy.c_str());
        if (used == 0) return false;
        pos_ += used;
        if (pos_ < text_.size() && (text_[pos_] == 'L' || text_[pos_] == 'l')) ++pos_;
        token.type = Token::Number;
        return true;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

class Parser {
public:
    explicit Parser(std::string_view text) : lexer_(text) {}

    bool Parse(ResourceTable& table) {
        if (!Advance()) return false;
        while (token_.type != Token::End) {
            if (token_.type != Token::Number && token_.type != Token::Word) return false;
            Token name = token_;
            if (!Advance() || token_.type != Token::Word) return false;
            std::string type = token_.text;
            if (!Advance()) return false;
            SkipOptions();
            if (type == "MENU" || type == "MENUEX") {
                std::vector<MenuItem> items;
                if (!Block(items)) return false;
                if (name.type == Token::Number)
                    table.menus.emplace_back(name.value, std::move(items));
            } else if (token_.type == Token::String) {
                if (type == "BITMAP" && name.type == Token::Number)
                    table.bitmaps.emplace_back(name.value, token_.text);
                if (!Advance()) return false;
            } else if (token_.type == Token::Begin) {
                if (!SkipBlock()) return false;
            } else {
                return false;
            }
        }
        return true;
    }

private:
    bool Advance() { return lexer_.Next(token_); }

    void SkipOptions() {
        while (token_.type == Token::Word && token_.text != "MENUITEM" && token_.text != "POPUP") {
            if (!Advance()) return;
        }
    }

    bool SkipBlock() {
        int depth = 0;
        do {
            if (token_.type == Token::Begin) ++depth;
            if (token_.type == Token::Finish) --depth;
            if (token_.type == Token::End) return false;
            if (!Advance()) return false;
        } while (depth > 0);
        return true;
    }

    // BEGIN { MENUITEM "text", id | MENUITEM SEPARATOR | POPUP "text" block } END
    bool Block(std::vector<MenuItem>& items) {
        if (token_.type != Token::Begin || !Advance()) return false;
        while (token_.type != Token::Finish) {
            if (token_.type != Token::Word) return false;
            MenuItem item;
            if (token_.text == "MENUITEM") {
                if (!Advance()) return false;
                if (token_.type == Token::Word && token_.text == "SEPARATOR") {
                    item.separator = true;
                    if (!Advance()) return false;
                } else {
                    if (token_.type != Token::String) return false;
                    item.text = token_.text;
                    if (!Advance() || token_.type != Token::Comma || !Advance() ||
                        token_.type != Token::Number)
                        return false;
                    item.id = static_cast<int>(token_.value);
                    if (!Advance() || !SkipItemOptions()) return false;
                }
            } else if (token_.text == "POPUP") {
                if (!Advance() || token_.type != Token::String) return false;
                item.text = token_.text;
                item.popup = true;
                if (!Advance() || !SkipItemOptions() || !Block(item.items)) return false;
            } else {
                return false;
            }
            items.push_back(std::move(item));
        }
        return Advance();
    }

    bool SkipItemOptions() {
        while (token_.type == Token::Comma) {
            if (!Advance() || token_.type != Token::Word || !Advance()) return false;
        }
        return true;
    }

    Lexer lexer_;
    Token token_;
};

std::optional<QByteArray> EmbeddedFile(const std::string& name) {
    QFile file(QString::fromLatin1(kEmbeddedFolder) + QString::fromStdString(name));
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    return file.readAll();
}

}  // namespace

bool ParseResourceScript(std::string_view text, ResourceTable& table) {
    ResourceTable parsed;
    if (!Parser(text).Parse(parsed)) return false;
    table = std::move(parsed);
    return true;
}

const ResourceTable& BuiltInResources() {
    static const ResourceTable table = [] {
        ResourceTable result;
        if (auto script = EmbeddedFile(kScriptName))
            ParseResourceScript(std::string_view(script->constData(), script->size()), result);
        return result;
    }();
    return table;
}

}  // namespace quillfin::platform

using namespace quillfin::platform;

HANDLE LoadImageA(HINSTANCE, LPCSTR name, UINT type, int cx, int cy, UINT flags) {
    if (name == nullptr || type != IMAGE_BITMAP) return nullptr;
    std::optional<QImage> image;
    if ((flags & LR_LOADFROMFILE) != 0) {
        if (IS_INTRESOURCE(name)) return nullptr;
        image = LoadBmpFile(name);
    } else if (IS_INTRESOURCE(name)) {
        int id = static_cast<int>(reinterpret_cast<std::uintptr_t>(name));
        for (const auto& [bitmapId, file] : BuiltInResources().bitmaps) {
            if (bitmapId != id) continue;
            if (auto bytes = EmbeddedFile(file)) {
                image = DecodeBmp(reinterpret_cast<const unsigned char*>(bytes->constData()),
                                  static_cast<std::size_t>(bytes->size()));
            }
            break;
        }
    }
    if (!image) return nullptr;
    if (cx > 0 || cy > 0) {
        QSize size(cx > 0 ? cx : image->width(), cy > 0 ? cy : image->height());
        *image = image->scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                     .convertToFormat(QImage::Format_RGB32);
    }
    auto bitmap = std::make_unique<Bitmap>();
    bitmap->image = std::move(*image);
    bitmap->bitsPerPixel = 32;  // held as 32-bit rows whatever the file's depth
    return reinterpret_cast<HANDLE>(Register(std::move(bitmap)));
}
