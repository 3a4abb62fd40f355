[playlist]
NumberOfEntries=2
File2=http://b/2.mp3
Title2=Two
File1=relative/1.mp3
Title1=One
Version=2
