local s = 0;
for (local i = 0; i < 10; i++) { if (i % 2) continue; s += i; }
try { throw "x"; } catch (e) { s++; }
switch (s) { case 21: print("ok"); break; default: print("no"); }
local f = function(...) : (s) { return vargc + s; };
do s-- while (s > 0)
