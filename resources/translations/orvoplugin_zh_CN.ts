<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>ByteCountText</name>
    <message>
        <source>%1.%2 MB</source>
        <extracomment>%1.%2 is the size in megabytes with one decimal.</extracomment>
        <translation>%1.%2 MB</translation>
    </message>
    <message>
        <source>%1 of %2 (%3%)</source>
        <extracomment>12.4 MB of 96.0 MB (12%)</extracomment>
        <translation>%1 / %2 (%3%)</translation>
    </message>
</context>
<context>
    <name>InfoWindowHandler</name>
    <message>
        <source>About</source>
        <translation>关于</translation>
    </message>
    <message>
        <source>About Orvo Wendra Customer Plugin</source>
        <translation>关于 Orvo Wendra Customer Plugin</translation>
    </message>
    <message>
        <source>Product name, version and rights notice.</source>
        <translation>产品名称、版本和版权声明。</translation>
    </message>
    <message>
        <source>Orvo Wendra icon</source>
        <translation>Orvo Wendra 图标</translation>
    </message>
    <message>
        <source>Product name</source>
        <translation>产品名称</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>版本</translation>
    </message>
    <message>
        <source>Rights notice</source>
        <translation>版权声明</translation>
    </message>
    <message>
        <source>© 2026 Orvo. All rights reserved.</source>
        <translation>© 2026 Orvo。保留所有权利。</translation>
    </message>
    <message>
        <source>Orvo Wendra - Customer Plugin</source>
        <translation>Orvo Wendra - Customer Plugin</translation>
    </message>
    <message>
        <source>version - %1</source>
        <translation>版本 - %1</translation>
    </message>
</context>
<context>
    <name>JoinProgressWindow</name>
    <message>
        <source>Orvo Wendra - CustomerPlugin</source>
        <translation>Orvo Wendra - CustomerPlugin</translation>
    </message>
    <message>
        <source>Progress</source>
        <translation>进度</translation>
    </message>
    <message>
        <source>Please wait while establishing connection ...</source>
        <translation>正在建立连接，请稍候…</translation>
    </message>
    <message>
        <source>Progress of the join</source>
        <translation type="vanished">加入进度</translation>
    </message>
    <message>
        <source>Retry</source>
        <translation>重试</translation>
    </message>
    <message>
        <source>Runs the step that failed again</source>
        <translation>再次执行失败的步骤</translation>
    </message>
    <message>
        <source>Checking with the Orvo Wendra service ...</source>
        <translation>正在与 Orvo Wendra 服务核对…</translation>
    </message>
    <message>
        <source>Downloading the support app ...</source>
        <translation>正在下载支持应用…</translation>
    </message>
    <message>
        <source>Installing the support app ...</source>
        <translation>正在安装支持应用…</translation>
    </message>
    <message>
        <source>Starting the support app ...</source>
        <translation>正在启动支持应用…</translation>
    </message>
    <message>
        <source>Connection lost, trying again in %1 s...</source>
        <extracomment>%1 is a number of seconds.</extracomment>
        <translation>连接已断开，%1 秒后重试…</translation>
    </message>
    <message>
        <source>Downloading the support app: </source>
        <translation>正在下载支持应用: </translation>
    </message>
</context>
<context>
    <name>OrvoAppUpgrader</name>
    <message>
        <source>The Orvo Wendra service could not be reached or gave no usable answer. Check your internet connection, then press Retry.</source>
        <translation>无法连接 Orvo Wendra 服务，或服务没有给出可用的应答。请检查网络连接，然后点击“重试”。</translation>
    </message>
    <message>
        <source>The support app could not be started. Press Retry; if it happens again, tell your technician.</source>
        <translation>无法启动支持应用。请点击“重试”；如果再次出现，请告诉您的技术人员。</translation>
    </message>
    <message>
        <source>The proxy server %1 refused the connection: it needs a user name and password that were not given or not accepted. Check your proxy settings, then press Retry.</source>
        <extracomment>%1 is the proxy&apos;s host:port.</extracomment>
        <translation>代理服务器 %1 拒绝了连接：它需要用户名和密码，但未提供或未被接受。请检查代理设置，然后点击“重试”。</translation>
    </message>
</context>
<context>
    <name>OrvoDmgDownloader</name>
    <message>
        <source>The support app&apos;s package could not be opened. Press Retry; if it happens again, tell your technician.</source>
        <translation>无法打开支持应用的安装包。请点击“重试”；如果再次出现，请告诉您的技术人员。</translation>
    </message>
    <message>
        <source>An older copy of the support app is in the way and could not be replaced. Quit the support app if it is running, then press Retry.</source>
        <translation>旧版支持应用挡在那里，无法替换。如果支持应用正在运行，请先退出，然后点击“重试”。</translation>
    </message>
    <message>
        <source>The support app could not be started. Press Retry; if it happens again, tell your technician.</source>
        <translation>无法启动支持应用。请点击“重试”；如果再次出现，请告诉您的技术人员。</translation>
    </message>
    <message>
        <source>The downloaded support app did not pass its safety check and was not installed. Press Retry to download it again.</source>
        <translation>下载的支持应用未通过安全检查，因此没有安装。请点击“重试”重新下载。</translation>
    </message>
    <message>
        <source>The support app could not be installed on this Mac. Free some disk space, then press Retry.</source>
        <translation>无法在这台 Mac 上安装支持应用。请释放一些磁盘空间，然后点击“重试”。</translation>
    </message>
    <message>
        <source>The support app&apos;s package is still open from an earlier attempt. Press Retry; if it happens again, restart this Mac.</source>
        <translation>支持应用的安装包在上次尝试后仍处于打开状态。请点击“重试”；如果再次出现，请重新启动这台 Mac。</translation>
    </message>
    <message>
        <source>The service could not provide the support app (error %1). Press Retry; if it happens again, tell your technician.</source>
        <translation>服务无法提供支持应用（错误 %1）。请点击“重试”；如果再次出现，请告诉您的技术人员。</translation>
    </message>
    <message>
        <source>The support app could not be saved on this Mac. Free some disk space, then press Retry.</source>
        <translation>无法在这台 Mac 上保存支持应用。请释放一些磁盘空间，然后点击“重试”。</translation>
    </message>
    <message>
        <source>The download of the support app stalled. Check your internet connection, then press Retry.</source>
        <translation>支持应用的下载停滞了。请检查网络连接，然后点击“重试”。</translation>
    </message>
    <message>
        <source>The support app&apos;s download location could not be trusted. Press Retry; if it happens again, tell your technician.</source>
        <translation>支持应用的下载地址不可信。请点击“重试”；如果再次出现，请告诉您的技术人员。</translation>
    </message>
    <message>
        <source>The download of the support app was interrupted. Check your internet connection, then press Retry.</source>
        <translation>支持应用的下载中断了。请检查网络连接，然后点击“重试”。</translation>
    </message>
</context>
<context>
    <name>OrvoPluginWindowHandler</name>
    <message>
        <source>Orvo Wendra Customer Plugin</source>
        <translation>Orvo Wendra Customer Plugin</translation>
    </message>
    <message>
        <source>Join a remote support session with the session ID your technician gave you.</source>
        <translation>使用技术人员提供的会话 ID 加入远程支持会话。</translation>
    </message>
    <message>
        <source>Join a support session</source>
        <translation>加入支持会话</translation>
    </message>
    <message>
        <source>About this plugin</source>
        <translation>关于此插件</translation>
    </message>
    <message>
        <source>About</source>
        <translation>关于</translation>
    </message>
    <message>
        <source>Shows the plugin version and its rights notice.</source>
        <translation>显示插件版本和版权声明。</translation>
    </message>
    <message>
        <source>Enter Session ID</source>
        <translation>输入会话 ID</translation>
    </message>
    <message>
        <source>Session ID</source>
        <translation>会话 ID</translation>
    </message>
    <message>
        <source>The 9 or 10 digit session ID your technician gave you.</source>
        <translation>技术人员提供给您的 9 位或 10 位会话 ID。</translation>
    </message>
    <message>
        <source>Required</source>
        <translation>必填</translation>
    </message>
    <message>
        <source>The session ID must be filled in.</source>
        <translation>必须填写会话 ID。</translation>
    </message>
    <message>
        <source>Session ID underline</source>
        <translation>会话 ID 下划线</translation>
    </message>
    <message>
        <source>Session ID underline, editing</source>
        <translation>会话 ID 下划线（编辑中）</translation>
    </message>
    <message>
        <source>Session ID message</source>
        <translation>会话 ID 提示</translation>
    </message>
    <message>
        <source>Says what is wrong with the session ID.</source>
        <translation>说明会话 ID 有什么问题。</translation>
    </message>
    <message>
        <source>Enter your name</source>
        <translation>输入您的姓名</translation>
    </message>
    <message>
        <source>Your name</source>
        <translation>您的姓名</translation>
    </message>
    <message>
        <source>The name the technician sees for you, up to 40 characters.</source>
        <translation>技术人员看到的您的名字，最多 40 个字符。</translation>
    </message>
    <message>
        <source>Your name must be filled in.</source>
        <translation>必须填写您的姓名。</translation>
    </message>
    <message>
        <source>Name underline</source>
        <translation>姓名下划线</translation>
    </message>
    <message>
        <source>Name underline, editing</source>
        <translation>姓名下划线（编辑中）</translation>
    </message>
    <message>
        <source>Name message</source>
        <translation>姓名提示</translation>
    </message>
    <message>
        <source>Says what is wrong with the name.</source>
        <translation>说明姓名有什么问题。</translation>
    </message>
    <message>
        <source>Join Session</source>
        <translation>加入会话</translation>
    </message>
    <message>
        <source>Joins the session with the session ID and name above.</source>
        <translation>使用上面的会话 ID 和姓名加入会话。</translation>
    </message>
    <message>
        <source>Trust notice</source>
        <translation>信任提示</translation>
    </message>
    <message>
        <source>Join only with people you recognize and trust. The Report abuse link opens the abuse report page in your browser.</source>
        <translation>只与您认识并信任的人加入会话。“举报滥用”链接会在浏览器中打开举报页面。</translation>
    </message>
    <message>
        <source>Disclosure notice</source>
        <translation>信息泄露提示</translation>
    </message>
    <message>
        <source>Do not disclose passwords, card or bank details or other sensitive information during a session.</source>
        <translation>在会话期间，请勿透露密码、银行卡或银行账户信息等敏感信息。</translation>
    </message>
    <message>
        <source>*Mandatory field</source>
        <translation>*必填项</translation>
    </message>
    <message>
        <source>The session ID is invalid.Verify session ID with your technician again.</source>
        <translation>会话 ID 无效。请再次向技术人员核对会话 ID。</translation>
    </message>
    <message>
        <source>Join remote support session only with people you recognize and trust. Report abuse</source>
        <extracomment>Ends with the text of &quot;Report abuse&quot;, which becomes the link.</extracomment>
        <translation>只与您认识并信任的人加入远程支持会话。举报滥用</translation>
    </message>
    <message>
        <source>Report abuse</source>
        <extracomment>The link at the end of the trust notice.</extracomment>
        <translation>举报滥用</translation>
    </message>
    <message>
        <source>Do not disclose your passwords, credit card/bank details or any other sensitive information during a session.</source>
        <translation>在会话期间，请勿透露您的密码、信用卡/银行信息或任何其他敏感信息。</translation>
    </message>
</context>
</TS>
