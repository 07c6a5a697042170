Attribute VB_Name = "modLedger"
Option Explicit

' Fills the ledger grid; the grid type comes from tbln8.ocx.
Public Sub FillLedger(ByVal Target As Tabulon80.Grid)
    Target.TextMatrix(0, 0) = "Compte"
    Target.TextMatrix(0, 1) = "Débit"
End Sub
