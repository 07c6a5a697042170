VERSION 5.00
Object = "{5A1C3E90-7B24-4D6F-9E81-2C4B7A0D3F65}#8.0#0"; "tbln8.ocx"
Begin VB.Form frmMain 
   Caption         =   "Orders"
   ClientHeight    =   5190
   ClientLeft      =   60
   ClientTop       =   345
   ClientWidth     =   7680
   LinkTopic       =   "Form1"
   ScaleHeight     =   5190
   ScaleWidth      =   7680
   StartUpPosition =   3  'Windows Default
   Begin VB.PictureBox picToolbar 
      Align           =   1  'Align Top
      Height          =   495
      Left            =   0
      ScaleHeight     =   435
      ScaleWidth      =   7620
      TabIndex        =   2
      Top             =   0
      Width           =   7680
      Begin VB.CommandButton cmdRefresh 
         Caption         =   "&Refresh"
         Height          =   375
         Left            =   60
         TabIndex        =   3
         Top             =   30
         Width           =   1095
      End
   End
   Begin VB.Frame fraOrders 
      Caption         =   "Open orders"
      Height          =   4455
      Left            =   120
      TabIndex        =   0
      Top             =   600
      Width           =   7455
      Begin Tabulon80.Grid grdOrders 
         Height          =   3975
         Left            =   120
         TabIndex        =   1
         Top             =   360
         Width           =   7215
         _ExtentX        =   12726
         _ExtentY        =   7011
         _Version        =   524288
         Cols            =   5
         FixedCols       =   0
         BeginProperty Font {0BE35203-8F91-11CE-9DE3-00AA004BB851} 
            Name            =   "MS Sans Serif"
            Size            =   8.25
            Charset         =   0
            Weight          =   400
            Underline       =   0   'False
            Italic          =   0   'False
            Strikethrough   =   0   'False
         EndProperty
      End
   End
End
Attribute VB_Name = "frmMain"
Attribute VB_GlobalNameSpace = False
Attribute VB_Creatable = False
Attribute VB_PredeclaredId = True
Attribute VB_Exposed = False
Option Explicit

Private Sub Form_Load()
    LoadOrders grdOrders
End Sub

Private Sub cmdRefresh_Click()
    LoadOrders grdOrders
End Sub

Private Sub grdOrders_DblClick()
    frmOrders.ShowOrder grdOrders.TextMatrix(grdOrders.Row, 0)
End Sub
