<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja">
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
        <translation>バージョン情報</translation>
    </message>
    <message>
        <source>About Orvo Wendra Customer Plugin</source>
        <translation>Orvo Wendra Customer Plugin について</translation>
    </message>
    <message>
        <source>Product name, version and rights notice.</source>
        <translation>製品名、バージョン、著作権表示。</translation>
    </message>
    <message>
        <source>Orvo Wendra icon</source>
        <translation>Orvo Wendra のアイコン</translation>
    </message>
    <message>
        <source>Product name</source>
        <translation>製品名</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>バージョン</translation>
    </message>
    <message>
        <source>Rights notice</source>
        <translation>著作権表示</translation>
    </message>
    <message>
        <source>© 2026 Orvo. All rights reserved.</source>
        <translation>© 2026 Orvo. 無断複製・転載を禁じます。</translation>
    </message>
    <message>
        <source>Orvo Wendra - Customer Plugin</source>
        <translation>Orvo Wendra - Customer Plugin</translation>
    </message>
    <message>
        <source>version - %1</source>
        <translation>バージョン - %1</translation>
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
        <translation>進行状況</translation>
    </message>
    <message>
        <source>Please wait while establishing connection ...</source>
        <translation>接続しています。しばらくお待ちください…</translation>
    </message>
    <message>
        <source>Progress of the join</source>
        <translation type="vanished">参加の進行状況</translation>
    </message>
    <message>
        <source>Retry</source>
        <translation>再試行</translation>
    </message>
    <message>
        <source>Runs the step that failed again</source>
        <translation>失敗した手順をもう一度実行します</translation>
    </message>
    <message>
        <source>Checking with the Orvo Wendra service ...</source>
        <translation>Orvo Wendra サービスに確認しています…</translation>
    </message>
    <message>
        <source>Downloading the support app ...</source>
        <translation>サポートアプリをダウンロードしています…</translation>
    </message>
    <message>
        <source>Installing the support app ...</source>
        <translation>サポートアプリをインストールしています…</translation>
    </message>
    <message>
        <source>Starting the support app ...</source>
        <translation>サポートアプリを起動しています…</translation>
    </message>
    <message>
        <source>Connection lost, trying again in %1 s...</source>
        <extracomment>%1 is a number of seconds.</extracomment>
        <translation>接続が切れました。%1 秒後にもう一度試します…</translation>
    </message>
    <message>
        <source>Downloading the support app: </source>
        <translation>サポートアプリをダウンロード中: </translation>
    </message>
</context>
<context>
    <name>OrvoAppUpgrader</name>
    <message>
        <source>The Orvo Wendra service could not be reached or gave no usable answer. Check your internet connection, then press Retry.</source>
        <translation>Orvo Wendra サービスに接続できないか、使える応答がありませんでした。インターネット接続を確認してから、「再試行」を押してください。</translation>
    </message>
    <message>
        <source>The support app could not be started. Press Retry; if it happens again, tell your technician.</source>
        <translation>サポートアプリを起動できませんでした。「再試行」を押してください。もう一度起きたら、担当の技術者に伝えてください。</translation>
    </message>
    <message>
        <source>The proxy server %1 refused the connection: it needs a user name and password that were not given or not accepted. Check your proxy settings, then press Retry.</source>
        <extracomment>%1 is the proxy&apos;s host:port.</extracomment>
        <translation>プロキシサーバー %1 が接続を拒否しました。ユーザー名とパスワードが必要ですが、入力されていないか、受け付けられませんでした。プロキシの設定を確認してから、「再試行」を押してください。</translation>
    </message>
</context>
<context>
    <name>OrvoDmgDownloader</name>
    <message>
        <source>The support app&apos;s package could not be opened. Press Retry; if it happens again, tell your technician.</source>
        <translation>サポートアプリのパッケージを開けませんでした。「再試行」を押してください。もう一度起きたら、担当の技術者に伝えてください。</translation>
    </message>
    <message>
        <source>An older copy of the support app is in the way and could not be replaced. Quit the support app if it is running, then press Retry.</source>
        <translation>古いサポートアプリが残っていて、置き換えられませんでした。サポートアプリが開いていたら終了してから、「再試行」を押してください。</translation>
    </message>
    <message>
        <source>The support app could not be started. Press Retry; if it happens again, tell your technician.</source>
        <translation>サポートアプリを起動できませんでした。「再試行」を押してください。もう一度起きたら、担当の技術者に伝えてください。</translation>
    </message>
    <message>
        <source>The downloaded support app did not pass its safety check and was not installed. Press Retry to download it again.</source>
        <translation>ダウンロードしたサポートアプリは安全性の確認に通らなかったため、インストールしませんでした。「再試行」を押して、もう一度ダウンロードしてください。</translation>
    </message>
    <message>
        <source>The support app could not be installed on this Mac. Free some disk space, then press Retry.</source>
        <translation>このMacにサポートアプリをインストールできませんでした。ディスクの空き容量を増やしてから、「再試行」を押してください。</translation>
    </message>
    <message>
        <source>The support app&apos;s package is still open from an earlier attempt. Press Retry; if it happens again, restart this Mac.</source>
        <translation>前回の試行で開いたサポートアプリのパッケージが、まだ開いたままです。「再試行」を押してください。もう一度起きたら、このMacを再起動してください。</translation>
    </message>
    <message>
        <source>The service could not provide the support app (error %1). Press Retry; if it happens again, tell your technician.</source>
        <translation>サービスからサポートアプリを受け取れませんでした（エラー %1）。「再試行」を押してください。もう一度起きたら、担当の技術者に伝えてください。</translation>
    </message>
    <message>
        <source>The support app could not be saved on this Mac. Free some disk space, then press Retry.</source>
        <translation>このMacにサポートアプリを保存できませんでした。ディスクの空き容量を増やしてから、「再試行」を押してください。</translation>
    </message>
    <message>
        <source>The download of the support app stalled. Check your internet connection, then press Retry.</source>
        <translation>サポートアプリのダウンロードが止まりました。インターネット接続を確認してから、「再試行」を押してください。</translation>
    </message>
    <message>
        <source>The support app&apos;s download location could not be trusted. Press Retry; if it happens again, tell your technician.</source>
        <translation>サポートアプリのダウンロード元を信頼できませんでした。「再試行」を押してください。もう一度起きたら、担当の技術者に伝えてください。</translation>
    </message>
    <message>
        <source>The download of the support app was interrupted. Check your internet connection, then press Retry.</source>
        <translation>サポートアプリのダウンロードが中断されました。インターネット接続を確認してから、「再試行」を押してください。</translation>
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
        <translation>技術者から伝えられたセッションIDで、リモートサポートのセッションに参加します。</translation>
    </message>
    <message>
        <source>Join a support session</source>
        <translation>サポートセッションに参加</translation>
    </message>
    <message>
        <source>About this plugin</source>
        <translation>このプラグインについて</translation>
    </message>
    <message>
        <source>About</source>
        <translation>バージョン情報</translation>
    </message>
    <message>
        <source>Shows the plugin version and its rights notice.</source>
        <translation>プラグインのバージョンと著作権表示を表示します。</translation>
    </message>
    <message>
        <source>Enter Session ID</source>
        <translation>セッションIDを入力</translation>
    </message>
    <message>
        <source>Session ID</source>
        <translation>セッションID</translation>
    </message>
    <message>
        <source>The 9 or 10 digit session ID your technician gave you.</source>
        <translation>技術者から伝えられた9桁または10桁のセッションID。</translation>
    </message>
    <message>
        <source>Required</source>
        <translation>必須</translation>
    </message>
    <message>
        <source>The session ID must be filled in.</source>
        <translation>セッションIDの入力が必要です。</translation>
    </message>
    <message>
        <source>Session ID underline</source>
        <translation>セッションIDの下線</translation>
    </message>
    <message>
        <source>Session ID underline, editing</source>
        <translation>セッションIDの下線（入力中）</translation>
    </message>
    <message>
        <source>Session ID message</source>
        <translation>セッションIDのメッセージ</translation>
    </message>
    <message>
        <source>Says what is wrong with the session ID.</source>
        <translation>セッションIDのどこが違うかを示します。</translation>
    </message>
    <message>
        <source>Enter your name</source>
        <translation>お名前を入力</translation>
    </message>
    <message>
        <source>Your name</source>
        <translation>お名前</translation>
    </message>
    <message>
        <source>The name the technician sees for you, up to 40 characters.</source>
        <translation>技術者に表示されるあなたの名前（40文字まで）。</translation>
    </message>
    <message>
        <source>Your name must be filled in.</source>
        <translation>お名前の入力が必要です。</translation>
    </message>
    <message>
        <source>Name underline</source>
        <translation>名前の下線</translation>
    </message>
    <message>
        <source>Name underline, editing</source>
        <translation>名前の下線（入力中）</translation>
    </message>
    <message>
        <source>Name message</source>
        <translation>名前のメッセージ</translation>
    </message>
    <message>
        <source>Says what is wrong with the name.</source>
        <translation>名前のどこが違うかを示します。</translation>
    </message>
    <message>
        <source>Join Session</source>
        <translation>セッションに参加</translation>
    </message>
    <message>
        <source>Joins the session with the session ID and name above.</source>
        <translation>上のセッションIDと名前でセッションに参加します。</translation>
    </message>
    <message>
        <source>Trust notice</source>
        <translation>信頼に関する注意</translation>
    </message>
    <message>
        <source>Join only with people you recognize and trust. The Report abuse link opens the abuse report page in your browser.</source>
        <translation>知っていて信頼できる相手とだけ参加してください。「不正を報告」リンクを押すと、ブラウザで報告ページが開きます。</translation>
    </message>
    <message>
        <source>Disclosure notice</source>
        <translation>情報開示に関する注意</translation>
    </message>
    <message>
        <source>Do not disclose passwords, card or bank details or other sensitive information during a session.</source>
        <translation>セッション中は、パスワード、カードや銀行の情報など、大切な情報を教えないでください。</translation>
    </message>
    <message>
        <source>*Mandatory field</source>
        <translation>*必須項目</translation>
    </message>
    <message>
        <source>The session ID is invalid.Verify session ID with your technician again.</source>
        <translation>セッションIDが正しくありません。技術者にセッションIDをもう一度確認してください。</translation>
    </message>
    <message>
        <source>Join remote support session only with people you recognize and trust. Report abuse</source>
        <extracomment>Ends with the text of &quot;Report abuse&quot;, which becomes the link.</extracomment>
        <translation>リモートサポートのセッションには、知っていて信頼できる相手とだけ参加してください。不正を報告</translation>
    </message>
    <message>
        <source>Report abuse</source>
        <extracomment>The link at the end of the trust notice.</extracomment>
        <translation>不正を報告</translation>
    </message>
    <message>
        <source>Do not disclose your passwords, credit card/bank details or any other sensitive information during a session.</source>
        <translation>セッション中は、パスワード、クレジットカードや銀行の情報など、大切な情報を教えないでください。</translation>
    </message>
</context>
</TS>
