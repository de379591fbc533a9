# comments
; too
40007=An error occurred (%1):
40170=The folder %1 could not be created.\nTry %2\t\\ again\q
  57004 = Settings 
4294967296=too big
-1=neg
40007=second
not a line
12x=bad
