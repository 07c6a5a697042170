VERSION 5.00
Object = "{5A1C3E90-7B24-4D6F-9E81-2C4B7A0D3F65}#8.0#0"; "tbln8.ocx"
Object = "{B3D07A21-94E5-4C18-A6F2-81E93C5D0B47}#8.0#0"; "tblx8.ocx"
Begin VB.Form frmOrders 
   Caption         =   "Order"
   ClientHeight    =   6150
   ClientLeft      =   60
   ClientTop       =   345
   ClientWidth     =   8790
   LinkTopic       =   "Form1"
   ScaleHeight     =   6150
   ScaleWidth      =   8790
   Begin VB.Frame fraLines 
      Caption         =   "Lines"
      Height          =   3735
      Left            =   120
      TabIndex        =   1
      Top             =   2280
      Width           =   8535
      Begin VB.Frame fraFilter 
         BorderStyle     =   0  'None
         Height          =   3255
         Left            =   120
         TabIndex        =   2
         Top             =   360
         Width           =   8295
         Begin Tabulex80.GridEx grxLines 
            Height          =   3135
            Left            =   0
            TabIndex        =   3
            Top             =   0
            Width           =   8295
            _ExtentX        =   14631
            _ExtentY        =   5530
            _Version        =   524288
            AllowUpdate     =   -1  'True
            BeginProperty HeadFont {0BE35203-8F91-11CE-9DE3-00AA004BB851} 
               Name            =   "MS Sans Serif"
               Size            =   8.25
               Charset         =   0
               Weight          =   700
            EndProperty
         End
      End
   End
   Begin Tabulon80.Grid grdHeader 
      Height          =   1935
      Left            =   120
      TabIndex        =   0
      Top             =   120
      Width           =   8535
      _ExtentX        =   15055
      _ExtentY        =   3413
      _Version        =   524288
      Rows            =   2
   End
End
Attribute VB_Name = "frmOrders"
Attribute VB_GlobalNameSpace = False
Attribute VB_Creatable = False
Attribute VB_PredeclaredId = True
Attribute VB_Exposed = False
Option Explicit

Private WithEvents mLines As Tabulex80.GridEx

Public Sub ShowOrder(ByVal OrderNo As String)
    Set mLines = grxLines
    grdHeader.TextMatrix(1, 0) = OrderNo
    Me.Show
End Sub

Private Sub mLines_AfterUpdate()
    grdHeader.TextMatrix(1, 1) = "changed"
End Sub
