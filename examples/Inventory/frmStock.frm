VERSION 5.00
Object = "{B3D07A21-94E5-4C18-A6F2-81E93C5D0B47}#8.0#0"; "tblx8.ocx"
Begin VB.Form frmStock 
   Caption         =   "Lagerbestand – Stück"
   ClientHeight    =   4590
   ClientLeft      =   60
   ClientTop       =   345
   ClientWidth     =   6810
   LinkTopic       =   "Form1"
   ScaleHeight     =   4590
   ScaleWidth      =   6810
   Begin VB.Frame fraStock 
      Caption         =   "Artikel"
      Height          =   4335
      Left            =   120
      TabIndex        =   0
      Top             =   120
      Width           =   6575
      Begin Tabulex80.GridEx grxStock 
         Height          =   3855
         Left            =   120
         TabIndex        =   1
         Top             =   360
         Width           =   6335
         _ExtentX        =   11165
         _ExtentY        =   6800
         _Version        =   524288
      End
   End
End
Attribute VB_Name = "frmStock"
Attribute VB_GlobalNameSpace = False
Attribute VB_Creatable = False
Attribute VB_PredeclaredId = True
Attribute VB_Exposed = False
Option Explicit

Private Sub Form_Load()
    Dim g As Tabulex80.GridEx
    Set g = grxStock
    g.Caption = "Stückzahl"
End Sub
