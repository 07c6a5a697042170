	Begin Tabulon80.Grid g
x Tabulon80
	End
BeginTabulon80
Begin  
