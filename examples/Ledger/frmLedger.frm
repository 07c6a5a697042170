VERSION 5.00
Object = "{5A1C3E90-7B24-4D6F-9E81-2C4B7A0D3F65}#8.0#0"; "tbln8.ocx"
Begin VB.Form frmLedger 
   Caption         =   "Grand livre – Écritures"
   ClientHeight    =   4590
   ClientLeft      =   60
   ClientTop       =   345
   ClientWidth     =   6870
   LinkTopic       =   "Form1"
   ScaleHeight     =   4590
   ScaleWidth      =   6870
   StartUpPosition =   3  'Windows Default
   Begin Tabulon80.Grid grdLedger 
      Height          =   4095
      Left            =   120
      TabIndex        =   0
      Top             =   240
      Width           =   6615
      _ExtentX        =   11668
      _ExtentY        =   7223
      _Version        =   524288
      Cols            =   4
      Rows            =   2
   End
End
Attribute VB_Name = "frmLedger"
Attribute VB_GlobalNameSpace = False
Attribute VB_Creatable = False
Attribute VB_PredeclaredId = True
Attribute VB_Exposed = False
Option Explicit

Private Sub Form_Load()
    Dim grd As Tabulon80.Grid
    Set grd = grdLedger
    FillLedger grd
End Sub
