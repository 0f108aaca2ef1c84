// placeholder until its owner writes it
