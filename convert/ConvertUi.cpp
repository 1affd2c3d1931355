// Windows of the conversion engine.
