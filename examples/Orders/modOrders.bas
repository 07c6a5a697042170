Attribute VB_Name = "modOrders"
Option Explicit

Public Sub LoadOrders(ByVal Target As Object)
    Target.Rows = 1
End Sub
