// SQL preview windows.
