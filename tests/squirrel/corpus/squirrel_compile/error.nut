local x = "unterminated
