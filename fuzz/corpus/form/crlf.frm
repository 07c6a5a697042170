VERSION 5.00
Object = "{5A1C3E90-7B24-4D6F-9E81-2C4B7A0D3F65}#8.0#0"; "tbln8.ocx"
Object = "{B3D07A21-94E5-4C18-A6F2-81E93C5D0B47}#8.0#0"; "tblx8.ocx"
Begin VB.Form frmOrders 
   Caption         =   "Orders"
   Begin VB.Frame fraTop
      Begin Tabulon80.Grid grdOrders 
         BeginProperty Font {0BE35203-8F91-11CE-9DE3-00AA004BB851}
            Name            =   "Tabulon80"
         EndProperty
      End
      begin tabulex80.Grid grdLines
      END
   End
End
Attribute VB_Name = "frmOrders"
Private WithEvents mGrid As TABULON80.Grid
