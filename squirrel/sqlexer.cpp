#include "squirrel/sqlexer.h"

#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace {

struct Keyword {
  const char* text;
  SQInteger token;
};

const Keyword kKeywords[] = {
    {"while", TK_WHILE},
    {"do", TK_DO},
    {"if", TK_IF},
    {"else", TK_ELSE},
    {"break", TK_BREAK},
    {"continue", TK_CONTINUE},
    {"return", TK_RETURN},
    {"null", TK_NULL},
    {"function", TK_FUNCTION},
    {"local", TK_LOCAL},
    {"for", TK_FOR},
    {"foreach", TK_FOREACH},
    {"in", TK_IN},
    {"typeof", TK_TYPEOF},
    {"delegate", TK_DELEGATE},
    {"delete", TK_DELETE},
    {"try", TK_TRY},
    {"catch", TK_CATCH},
    {"throw", TK_THROW},
    {"clone", TK_CLONE},
    {"yield", TK_YIELD},
    {"resume", TK_RESUME},
    {"switch", TK_SWITCH},
    {"case", TK_CASE},
    {"default", TK_DEFAULT},
    {"this", TK_THIS},
    {"parent", TK_PARENT},
    {"class", TK_CLASS},
    {"extends", TK_EXTENDS},
    {"constructor", TK_CONSTRUCTOR},
    {"instanceof", TK_INSTANCEOF},
    {"vargc", TK_VARGC},
    {"vargv", TK_VARGV},
    {"true", TK_TRUE},
    {"false", TK_FALSE},
    {"static", TK_STATIC},
    {"enum", TK_ENUM},
    {"const", TK_CONST},
};

bool IsDigit(SQInteger c) {
  return c >= '0' && c <= '9';
}
bool IsODigit(SQInteger c) {
  return c >= '0' && c <= '7';
}
bool IsXDigit(SQInteger c) {
  return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
bool IsAlpha(SQInteger c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsAlnum(SQInteger c) {
  return IsAlpha(c) || IsDigit(c);
}
bool IsExponent(SQInteger c) {
  return c == 'e' || c == 'E';
}
bool IsControl(SQInteger c) {
  return (c >= 0 && c < 32) || c == 127;
}
SQInteger HexValue(SQInteger c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return c - 'A' + 10;
}

}  // namespace

SQLexer::SQLexer(SQLEXREADFUNC rg, SQUserPointer up, std::function<void(const std::string&)> error)
    : _readf(rg), _up(up), _errfunc(std::move(error)) {
  Next();
}

void SQLexer::Error(const std::string& msg) {
  _errfunc(msg);
  throw std::logic_error("compiler error handler returned");
}

const char* SQLexer::Tok2Str(SQInteger tok) {
  for (const Keyword& k : kKeywords) {
    if (k.token == tok) return k.text;
  }
  return nullptr;
}

void SQLexer::Next() {
  const SQInteger t = _readf(_up);
  if (t > 0xFFFF) Error("Invalid character");
  _currdata = t > 0 ? t : kEOB;
}

void SQLexer::BlockComment() {
  for (;;) {
    switch (_currdata) {
      case '*':
        NextCol();
        if (_currdata == '/') {
          NextCol();
          return;
        }
        continue;
      case '\n':
        _currentline++;
        NextCol();
        continue;
      case kEOB:
        Error("missing \"*/\" in comment");
      default:
        NextCol();
    }
  }
}

SQInteger SQLexer::Lex() {
  _lasttokenline = _currentline;
  while (_currdata != kEOB) {
    switch (_currdata) {
      case '\t':
      case '\r':
      case ' ':
        NextCol();
        continue;
      case '\n':
        _currentline++;
        _prevtoken = _curtoken;
        _curtoken = '\n';
        NextCol();
        _currentcolumn = 1;
        continue;
      case '/':
        NextCol();
        switch (_currdata) {
          case '*':
            NextCol();
            BlockComment();
            continue;
          case '/':
            while (_currdata != '\n' && _currdata != kEOB) NextCol();
            continue;
          case '=':
            NextCol();
            return ReturnToken(TK_DIVEQ);
          case '>':
            NextCol();
            return ReturnToken(TK_ATTR_CLOSE);
          default:
            return ReturnToken('/');
        }
      case '=':
        NextCol();
        if (_currdata != '=') return ReturnToken('=');
        NextCol();
        return ReturnToken(TK_EQ);
      case '<':
        NextCol();
        switch (_currdata) {
          case '=':
            NextCol();
            return ReturnToken(TK_LE);
          case '-':
            NextCol();
            return ReturnToken(TK_NEWSLOT);
          case '<':
            NextCol();
            return ReturnToken(TK_SHIFTL);
          case '/':
            NextCol();
            return ReturnToken(TK_ATTR_OPEN);
          default:
            return ReturnToken('<');
        }
      case '>':
        NextCol();
        if (_currdata == '=') {
          NextCol();
          return ReturnToken(TK_GE);
        }
        if (_currdata == '>') {
          NextCol();
          if (_currdata == '>') {
            NextCol();
            return ReturnToken(TK_USHIFTR);
          }
          return ReturnToken(TK_SHIFTR);
        }
        return ReturnToken('>');
      case '!':
        NextCol();
        if (_currdata != '=') return ReturnToken('!');
        NextCol();
        return ReturnToken(TK_NE);
      case '@': {
        NextCol();
        if (_currdata != '"') Error("string expected");
        return ReturnToken(ReadString('"', true));
      }
      case '"':
      case '\'':
        return ReturnToken(ReadString(_currdata, false));
      case '{':
      case '}':
      case '(':
      case ')':
      case '[':
      case ']':
      case ';':
      case ',':
      case '?':
      case '^':
      case '~': {
        const SQInteger ret = _currdata;
        NextCol();
        return ReturnToken(ret);
      }
      case '.':
        NextCol();
        if (_currdata != '.') return ReturnToken('.');
        NextCol();
        if (_currdata != '.') Error("invalid token '..'");
        NextCol();
        return ReturnToken(TK_VARPARAMS);
      case '&':
        NextCol();
        if (_currdata != '&') return ReturnToken('&');
        NextCol();
        return ReturnToken(TK_AND);
      case '|':
        NextCol();
        if (_currdata != '|') return ReturnToken('|');
        NextCol();
        return ReturnToken(TK_OR);
      case ':':
        NextCol();
        if (_currdata != ':') return ReturnToken(':');
        NextCol();
        return ReturnToken(TK_DOUBLE_COLON);
      case '*':
        NextCol();
        if (_currdata == '=') {
          NextCol();
          return ReturnToken(TK_MULEQ);
        }
        return ReturnToken('*');
      case '%':
        NextCol();
        if (_currdata == '=') {
          NextCol();
          return ReturnToken(TK_MODEQ);
        }
        return ReturnToken('%');
      case '-':
        NextCol();
        if (_currdata == '=') {
          NextCol();
          return ReturnToken(TK_MINUSEQ);
        }
        if (_currdata == '-') {
          NextCol();
          return ReturnToken(TK_MINUSMINUS);
        }
        return ReturnToken('-');
      case '+':
        NextCol();
        if (_currdata == '=') {
          NextCol();
          return ReturnToken(TK_PLUSEQ);
        }
        if (_currdata == '+') {
          NextCol();
          return ReturnToken(TK_PLUSPLUS);
        }
        return ReturnToken('+');
      default:
        if (IsDigit(_currdata)) return ReturnToken(ReadNumber());
        if (IsAlpha(_currdata) || _currdata == '_') return ReturnToken(ReadID());
        if (IsControl(_currdata)) Error("unexpected character(control)");
        {
          const SQInteger c = _currdata;
          NextCol();
          return ReturnToken(c);
        }
    }
  }
  return 0;
}

SQInteger SQLexer::ReadID() {
  _svalue.clear();
  do {
    _svalue.push_back(static_cast<SQChar>(_currdata));
    NextCol();
  } while (IsAlnum(_currdata) || _currdata == '_');
  for (const Keyword& k : kKeywords) {
    if (_svalue.size() == strlen(k.text) && std::equal(_svalue.begin(), _svalue.end(), k.text)) {
      return k.token;
    }
  }
  return TK_IDENTIFIER;
}

SQInteger SQLexer::ReadString(SQInteger ndelim, bool verbatim) {
  _svalue.clear();
  NextCol();
  if (_currdata == kEOB) return -1;
  for (;;) {
    while (_currdata != ndelim) {
      switch (_currdata) {
        case kEOB:
          Error("unfinished string");
        case '\n':
          if (!verbatim) Error("newline in a constant");
          _svalue.push_back(static_cast<SQChar>(_currdata));
          NextCol();
          _currentline++;
          break;
        case '\\':
          if (verbatim) {
            _svalue.push_back('\\');
            NextCol();
          } else {
            NextCol();
            switch (_currdata) {
              case 'x': {
                NextCol();
                if (!IsXDigit(_currdata)) Error("hexadecimal number expected");
                SQInteger value = 0;
                for (int n = 0; n < 4 && IsXDigit(_currdata); n++) {
                  value = value * 16 + HexValue(_currdata);
                  NextCol();
                }
                _svalue.push_back(static_cast<SQChar>(value));
                break;
              }
              case 't':
                _svalue.push_back('\t');
                NextCol();
                break;
              case 'a':
                _svalue.push_back('\a');
                NextCol();
                break;
              case 'b':
                _svalue.push_back('\b');
                NextCol();
                break;
              case 'n':
                _svalue.push_back('\n');
                NextCol();
                break;
              case 'r':
                _svalue.push_back('\r');
                NextCol();
                break;
              case 'v':
                _svalue.push_back('\v');
                NextCol();
                break;
              case 'f':
                _svalue.push_back('\f');
                NextCol();
                break;
              case '0':
                _svalue.push_back(0);
                NextCol();
                break;
              case '\\':
                _svalue.push_back('\\');
                NextCol();
                break;
              case '"':
                _svalue.push_back('"');
                NextCol();
                break;
              case '\'':
                _svalue.push_back('\'');
                NextCol();
                break;
              default:
                Error("unrecognised escaper char");
            }
          }
          break;
        default:
          _svalue.push_back(static_cast<SQChar>(_currdata));
          NextCol();
      }
    }
    NextCol();
    if (verbatim && _currdata == '"') {
      _svalue.push_back('"');
      NextCol();
    } else {
      break;
    }
  }
  if (ndelim == '\'') {
    if (_svalue.empty()) Error("empty constant");
    if (_svalue.size() > 1) Error("constant too long");
    _nvalue = _svalue[0];
    return TK_INTEGER;
  }
  return TK_STRING_LITERAL;
}

SQInteger SQLexer::ReadNumber() {
  enum { TINT, TFLOAT, THEX, TSCIENTIFIC, TOCTAL } type = TINT;
  std::string text;
  const SQInteger firstchar = _currdata;
  NextCol();
  if (firstchar == '0' && (_currdata == 'x' || _currdata == 'X' || IsODigit(_currdata))) {
    if (IsODigit(_currdata)) {
      type = TOCTAL;
      while (IsODigit(_currdata)) {
        text.push_back(static_cast<char>(_currdata));
        NextCol();
      }
      if (IsDigit(_currdata)) Error("invalid octal number");
    } else {
      NextCol();
      type = THEX;
      while (IsXDigit(_currdata)) {
        text.push_back(static_cast<char>(_currdata));
        NextCol();
      }
      if (text.size() > 8) Error("too many digits for an Hex number");
    }
  } else {
    text.push_back(static_cast<char>(firstchar));
    while (_currdata == '.' || IsDigit(_currdata) || IsExponent(_currdata)) {
      if (_currdata == '.') type = TFLOAT;
      if (IsExponent(_currdata)) {
        if (type != TFLOAT) Error("invalid numeric format");
        type = TSCIENTIFIC;
        text.push_back(static_cast<char>(_currdata));
        NextCol();
        if (_currdata == '+' || _currdata == '-') {
          text.push_back(static_cast<char>(_currdata));
          NextCol();
        }
        if (!IsDigit(_currdata)) Error("exponent expected");
      }
      text.push_back(static_cast<char>(_currdata));
      NextCol();
    }
  }
  uint32_t n = 0;
  switch (type) {
    case TSCIENTIFIC:
    case TFLOAT:
      _fvalue = static_cast<SQFloat>(strtod(text.c_str(), nullptr));
      return TK_FLOAT;
    case TINT:
      for (char c : text) n = n * 10 + static_cast<uint32_t>(c - '0');
      break;
    case THEX:
      for (char c : text) n = n * 16 + static_cast<uint32_t>(HexValue(c));
      break;
    case TOCTAL:
      for (char c : text) n = n * 8 + static_cast<uint32_t>(c - '0');
      break;
  }
  _nvalue = static_cast<SQInteger>(n);
  return TK_INTEGER;
}
