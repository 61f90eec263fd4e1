<%@ page contentType="text/html; charset=Shift_JIS" %>
<html>
<head><title>tessal</title></head>
<body>
<img src="images/logo.gif" alt="tessal">
<p><a href="login.jsp">ƒƒOƒCƒ“</a></p>
</body>
</html>
