Begin VB.Form f
  Begin Tabulon80.Grid g
  x