VERSION 5.00
Object = "{e81f4c2a-6d07-4b93-a5c1-3f72b9e0d614}#8.0#0"; "tbln8c.ocx"
Begin VB.Form frmPayroll 
   Caption         =   "Payroll"
   ClientHeight    =   3600
   ClientLeft      =   60
   ClientTop       =   345
   ClientWidth     =   6000
   LinkTopic       =   "Form1"
   ScaleHeight     =   3600
   ScaleWidth      =   6000
   Begin Tabulon80c.Grid grdPay 
      Height          =   3375
      Left            =   120
      TabIndex        =   0
      Top             =   120
      Width           =   5775
      _ExtentX        =   10186
      _ExtentY        =   5953
      _Version        =   524288
   End
End
Attribute VB_Name = "frmPayroll"
Attribute VB_GlobalNameSpace = False
Attribute VB_Creatable = False
Attribute VB_PredeclaredId = True
Attribute VB_Exposed = False
Option Explicit

