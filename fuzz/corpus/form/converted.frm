Object = "{e81f4c2a-6d07-4b93-a5c1-3f72b9e0d614}#8.0#0"; "tbln8c.ocx"
Begin Tabulon80c.Grid g
End
