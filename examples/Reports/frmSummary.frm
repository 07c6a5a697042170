VERSION 5.00
Object = "{5A1C3E90-7B24-4D6F-9E81-2C4B7A0D3F65}#8.0#0"; "tbln8.ocx"
Begin VB.Form frmSummary 
   Caption         =   "Summary"
   ClientHeight    =   3135
   ClientLeft      =   60
   ClientTop       =   345
   ClientWidth     =   5775
   LinkTopic       =   "Form1"
   ScaleHeight     =   3135
   ScaleWidth      =   5775
   Begin Tabulon80.Grid grdSummary 
      Height          =   2895
      Left            =   120
      TabIndex        =   0
      Top             =   120
      Width           =   5535
      _ExtentX        =   9763
      _ExtentY        =   5106
      _Version        =   524288
   End
End
Attribute VB_Name = "frmSummary"
Attribute VB_GlobalNameSpace = False
Attribute VB_Creatable = False
Attribute VB_PredeclaredId = True
Attribute VB_Exposed = False
Option Explicit
