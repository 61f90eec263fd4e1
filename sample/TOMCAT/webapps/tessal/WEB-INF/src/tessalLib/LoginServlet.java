package tessalLib;

import java.io.IOException;
import javax.servlet.ServletException;
import javax.servlet.http.HttpServlet;
import javax.servlet.http.HttpServletRequest;
import javax.servlet.http.HttpServletResponse;

// ソースは開発用: 配布先には置かない。
public class LoginServlet extends HttpServlet {
    protected void doPost(HttpServletRequest request, HttpServletResponse response)
            throws ServletException, IOException {
        request.getSession(true).setAttribute("user", request.getParameter("user"));
        response.sendRedirect("index.jsp");
    }
}
