#pragma once
// The tokenizer of Squirrel 2.2 source text (16-bit units from a reader callback).

#include "squirrel/squirrel.h"

#include <functional>
#include <string>

enum SQToken {
  TK_IDENTIFIER = 258,
  TK_STRING_LITERAL,
  TK_INTEGER,
  TK_FLOAT,
  TK_DELEGATE,
  TK_DELETE,
  TK_EQ,
  TK_NE,
  TK_LE,
  TK_GE,
  TK_SWITCH,
  TK_ARROW,
  TK_AND,
  TK_OR,
  TK_IF,
  TK_ELSE,
  TK_WHILE,
  TK_BREAK,
  TK_FOR,
  TK_DO,
  TK_NULL,
  TK_FOREACH,
  TK_IN,
  TK_NEWSLOT,
  TK_MODULO,
  TK_LOCAL,
  TK_CLONE,
  TK_FUNCTION,
  TK_RETURN,
  TK_TYPEOF,
  TK_UMINUS,
  TK_PLUSEQ,
  TK_MINUSEQ,
  TK_CONTINUE,
  TK_YIELD,
  TK_TRY,
  TK_CATCH,
  TK_THROW,
  TK_SHIFTL,
  TK_SHIFTR,
  TK_RESUME,
  TK_DOUBLE_COLON,
  TK_CASE,
  TK_DEFAULT,
  TK_THIS,
  TK_PLUSPLUS,
  TK_MINUSMINUS,
  TK_PARENT,
  TK_USHIFTR,
  TK_CLASS,
  TK_EXTENDS,
  TK_CONSTRUCTOR,
  TK_INSTANCEOF,
  TK_VARPARAMS,
  TK_VARGC,
  TK_VARGV,
  TK_TRUE,
  TK_FALSE,
  TK_MULEQ,
  TK_DIVEQ,
  TK_MODEQ,
  TK_ATTR_OPEN,
  TK_ATTR_CLOSE,
  TK_STATIC,
  TK_ENUM,
  TK_CONST
};

class SQLexer {
 public:
  // `error` is called with a message and must not return (it throws).
  SQLexer(SQLEXREADFUNC rg, SQUserPointer up, std::function<void(const std::string&)> error);
  SQInteger Lex();
  // The keyword text of a token, or null.
  static const char* Tok2Str(SQInteger tok);

  SQInteger _curtoken = -1;
  SQInteger _prevtoken = -1;
  SQInteger _currentline = 1;
  SQInteger _currentcolumn = 0;
  SQInteger _lasttokenline = 1;
  std::u16string _svalue;  // identifier or string literal text
  SQInteger _nvalue = 0;
  SQFloat _fvalue = 0;

 private:
  static constexpr SQInteger kEOB = 0;
  void Next();
  void NextCol() {
    Next();
    _currentcolumn++;
  }
  SQInteger ReturnToken(SQInteger t) {
    _prevtoken = _curtoken;
    _curtoken = t;
    return t;
  }
  void BlockComment();
  SQInteger ReadString(SQInteger ndelim, bool verbatim);
  SQInteger ReadNumber();
  SQInteger ReadID();
  [[noreturn]] void Error(const std::string& msg);

  SQInteger _currdata = 0;
  SQLEXREADFUNC _readf;
  SQUserPointer _up;
  std::function<void(const std::string&)> _errfunc;
};
