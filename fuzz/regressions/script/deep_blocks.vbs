If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
If 1 Then
x = 1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1+1
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
End If
