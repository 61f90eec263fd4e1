<%@ page contentType="text/html; charset=Shift_JIS" %>
<html>
<head><title>tessal ログイン</title></head>
<body>
<form method="post" action="login">
  利用者ID <input type="text" name="user"><br>
  パスワード <input type="password" name="password"><br>
  <input type="submit" value="ログイン">
</form>
</body>
</html>
